// Sensor identification.
#include "link/ident.h"

#include "engine/cvi.h"
#include "link/com232.h"
#include "link/commands.h"
#include "params/vars.h"

namespace {

struct ModelLines {
    uint16_t ccdType;
    uint16_t model;
    const char* line2;
    const char* line3;
};

// The sensor's description as the calibration panel shows it; blanks are
// part of the texts.
constexpr ModelLines kModels[] = {
    {1, 10037, "resolution    = +/-1\xB5m", "working-range = 37mm +/-2.0mm"},
    {1, 10055, "resolution    = +/-2.5\xB5m", "working-range = 55mm +/-5.0mm"},
    {1, 10080, "resolution    = +/-10\xB5m", "working-range = 80mm +/-10mm"},
    {1, 10135, "resolution    = +/-16 \xB5m", "working-range = 140mm +/-30mm"},
    {1, 10160, "resolution    = +/-20 \xB5m", "working-range = 160mm +/-35mm"},
    {1, 10200, "resolution   =+/-25 \xB5m", "working-range=210mm +/-48mm"},
    {1, 10275, "resolution   =+/-55 \xB5m", "working-range=300mm +/-100mm"},
    {1, 10450, "resolution   =+/-210 \xB5m", "working-range=280mm...1100mm"},
    {4, 10055, "resolution    = +/-5\xB5m", "working-range = 55mm +/-4.5mm"},
    {4, 10080, "resolution    = +/-10\xB5m", "working-range = 80mm +/-8.5mm"},
};

constexpr uint16_t kVirtPixelCounts[] = {256, 512, 768, 1024, 1280, 1536, 2048, 2560, 4096, 8192};
constexpr uint16_t kMaxPixelCounts[] = {256, 512, 768, 1024, 1280, 1536, 2048};

constexpr const char* kNoInfo = "CCD-SENSOR: No Info Avialable!";
constexpr const char* kBlankLine = "                                ";  // 32 blanks

constexpr int kGainItems = 2;
constexpr int kTriggerItemInternal = 3;

void InfoLine(int line, const char* text) { ReplaceTextBoxLine(pCalib, TEXTSensorInfo, line, text); }

void NoInfoLines() {
    InfoLine(0, kNoInfo);
    for (int line = 1; line <= 3; ++line) InfoLine(line, kBlankLine);
}

void ModelInfoLines() {
    const char *line2 = nullptr, *line3 = nullptr;
    if (SensorModelLines(ccdtype, hwtype, &line2, &line3)) {
        InfoLine(2, line2);
        InfoLine(3, line3);
    } else {
        NoInfoLines();
    }
}

void GainItems(const char* item0, const char* item1) {
    const char* items[kGainItems] = {item0, item1};
    for (int i = 0; i < kGainItems; ++i) {
        ReplaceListItem(pPara1, RINGGainA, i, items[i], i);
        ReplaceListItem(pPara2, RINGGainB, i, items[i], i);
    }
}

// Firmware 305 brought the internal trigger and the measurement buffers.
void FirmwareFunctions() {
    const int available = softversion >= 305;
    SetCtrlAttribute(pHandle, BTNData, ATTR_VISIBLE, available);
    SetCtrlAttribute(pHandle, TOGBTN_Trigg, ATTR_VISIBLE, available);
    SetCtrlAttribute(pPara1, NUMTriggThresholdA, ATTR_DIMMED, !available);
    SetCtrlAttribute(pPara2, NUMTriggThresholdB, ATTR_DIMMED, !available);
    // The item keeps the value 3: it is trigger mode 3 whatever its label.
    ReplaceListItem(pPara0, RINGTrgMode, kTriggerItemInternal,
                    available ? "INTERN-TRIG" : "NOT-USED", kTriggerItemInternal);
}

void FullScales() {
    ADCMAX = adcmax == 1024 ? 1024 : 256;
    YAXISMAX = ccdvirtpixel;
}

}  // namespace

bool SensorModelLines(uint16_t ccdType, uint16_t model, const char** line2, const char** line3) {
    for (const ModelLines& m : kModels) {
        if (m.ccdType == ccdType && m.model == model) {
            *line2 = m.line2;
            *line3 = m.line3;
            return true;
        }
    }
    return false;
}

int PixelScaleStep(uint16_t virtPixels) {
    for (uint16_t n : kVirtPixelCounts)
        if (n == virtPixels) return n / 128;
    return 0;
}

void DecodeFirmwareText(const unsigned char* reply, std::size_t len, uint16_t boardType,
                        char* text, std::size_t size) {
    if (size == 0) return;
    std::size_t n = 0;
    if (boardType == 0) {
        for (std::size_t i = 0; i + 1 < len && n + 1 < size; i += 2) {
            // The low byte of each word is one character; a zero ends the text.
            const char c = static_cast<char>(reply[i + 1]);
            if (c == '\0') break;
            text[n++] = c;
        }
    } else {
        while (n < len && n + 1 < size && reply[n] != 0) {
            text[n] = static_cast<char>(reply[n]);
            ++n;
        }
    }
    text[n] = '\0';
}

int GetHARDWAREInfo() {
    parameter.cmd = CMD_HARDWARE;
    parameter.page = 0;
    rx_flag = 0;
    WriteRequest(CMD_HARDWARE, 0, FlushFirst::Output);  // payload: whatever pp holds
    if (!WaitRxFull()) return 0;

    // Taken before the echo test: a reply with a wrong echo still overwrites them.
    const uint16_t echo = ReadBufWord(2);
    ccdtype = ReadBufWord(4);
    ccdmaxpixel = ReadBufWord(6);
    ccdresolution = ReadBufWord(8);
    pcbtype = ReadBufWord(10);
    ccdvirtpixel = ReadBufWord(12);
    ccdsubpixel = ReadBufWord(14);
    ccdpixB = ReadBufWord(16);
    ccdpixE = ReadBufWord(18);
    softversion = ReadBufWord(20);
    hwtype = ReadBufWord(22);
    // No sensor reports its ADC full scale in a word of its own; the model
    // word stands in for it, which gives 256 for every listed model.
    adcmax = hwtype;
    if (echo != CMD_HARDWARE) return 0;

    SetAxisScalingMode(pHandle, GRAPHVideoMaster, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);
    SetAxisScalingMode(pHandle, GRAPHVideoSlave, VAL_BOTTOM_XAXIS, VAL_MANUAL, 1.0, ccdvirtpixel);

    bool knownMax = false;
    for (uint16_t n : kMaxPixelCounts) knownMax = knownMax || n == ccdmaxpixel;
    if (!knownMax) ccdmaxpixel = 1024;
    int step = PixelScaleStep(ccdvirtpixel);
    if (step == 0) {
        step = 16;
        ccdvirtpixel = 2048;
    }
    for (int i = 0; i < 128; ++i) xArray128[i] = static_cast<double>(step * i);

    switch (ccdtype) {
        case 1:
            InfoLine(0, "1024-pixel; 7.8\xB5m pixel-pitch");
            InfoLine(1, "4096-subpixel");
            GainItems("LOW GAIN", "HIGH GAIN");
            ModelInfoLines();
            FirmwareFunctions();
            FullScales();
            break;
        case 4:
            InfoLine(0, "512-pixel; 12.5\xB5m pixel-pitch");
            InfoLine(1, "2048-subpixel");
            GainItems("ADC-CONV", "DIG-COMP");
            ModelInfoLines();
            FullScales();
            break;
        default:
            NoInfoLines();
            ADCMAX = 256;
            YAXISMAX = 4096;
            break;
    }
    return 1;
}

int GetVERSIONInfo() {
    // No notification may take the 72 bytes: they are no frame.
    InstallComCallback(com, 0, FRAME_LEN, NOTIFY_EVENT_CHAR, nullptr, nullptr);
    parameter.cmd = CMD_FIRMWARE;
    parameter.page = 0;
    WriteRequest(CMD_FIRMWARE, 0);  // payload: whatever pp holds
    SetCtrlVal(pHandle, TEXTStatus, "Waiting for firmware info ...");

    const double t0 = Timer();
    int n = 0;
    for (;;) {
        n = GetInQLen(com);
        if (Timer() - t0 > TIMEOUT) {
            CopyText(szStatus, "Timeout - reading firmware info!");
            break;
        }
        if (n >= FIRMWARE_REPLY_LEN) break;
        Delay(0.0005);  // no events here, but no need to burn a core either
    }

    szVersion[0] = '\0';
    // A chattering line can queue more than the buffer holds.
    const int want = n < 0 ? 0 : (n > static_cast<int>(sizeof szReadBuf) ? static_cast<int>(sizeof szReadBuf) : n);
    nBytesR = want > 0 ? ComRd(com, szReadBuf, want) : 0;
    if (nBytesR == FIRMWARE_REPLY_LEN) {
        const auto* reply = reinterpret_cast<const unsigned char*>(szReadBuf);
        if (pcbtype == 0) {
            DecodeFirmwareText(reply, FIRMWARE_REPLY_LEN, 0, szVersion, sizeof szVersion);
            CopyText(szStatus, szVersion);
        } else {
            DecodeFirmwareText(reply, FIRMWARE_REPLY_LEN, pcbtype, szStatus, sizeof szStatus);
        }
    }

    InstallComCallback(com, eventMask, FRAME_LEN, NOTIFY_EVENT_CHAR, RX_Receive_Function, nullptr);
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    ShowStatus();
    return n;
}
