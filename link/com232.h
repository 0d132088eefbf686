// The serial line to the sensor pair: frame build and decode, the receive
// notification, the request and the reply wait every exchange shares, the
// echo check and the port start-up.
#pragma once

#include <cstdint>

void FillTxBuf(unsigned short cmd, unsigned short arg, const unsigned short* words);
int GetRxBuf();
void RX_Receive_Function(int port, int events, void* callbackData);
int WaitRxFull();
int CheckComLine(int port);
void InitRS232(int port);
// The status text for an OpenComConfig error code.
const char* RS232ErrorText(int code);
// Big-endian word at `offset` of szReadBuf.
uint16_t ReadBufWord(int offset);

// Which queue an exchange empties first before its request. The start-up
// exchanges empty the output queue first, the others the input queue; both
// are empty before the request goes out either way.
enum class FlushFirst { Input, Output };
// Empties both queues of `port`, the input queue without cutting a reply
// that is coming in: it is let in whole, then dropped.
void FlushQueues(FlushFirst first, int port);
// The receive notification (RX_Receive_Function at every frame) on or off;
// off, replies other than frames stay in the input queue for their reader.
void InstallReceiveNotification(int port);
void RemoveReceiveNotification(int port);
// Empties both queues of `port`, builds the frame from cmd, arg and pp and
// writes it. Returns the count written, also kept in nBytesW. The flags are
// the caller's: an exchange clears what it waits for.
int WriteRequest(uint16_t cmd, uint16_t arg, FlushFirst first, int port);
// The same with the 15 data words from `words` instead of pp.
int WriteFrame(uint16_t cmd, uint16_t arg, const uint16_t* words, FlushFirst first, int port);
int WriteRequest(uint16_t cmd, uint16_t arg, FlushFirst first = FlushFirst::Input);

// What a wait makes of a reply that comes in the very event pass in which
// its time runs out.
enum class LastPass {
    ReplyIsLate,    // the time-out is tested first: such a reply is late
    ReplyCounts,    // the flag is tested first: such a reply still counts
};
// Runs events until `flag` is set or more than TIMEOUT has passed; 1 when
// the flag was set in time. Sets no status text.
int AwaitFlag(const int& flag, LastPass rule);
// The wait of an exchange other than the live one for its own reply
// (rx_flag): a live frame arriving meanwhile is never taken as that reply.
int AwaitReply(LastPass rule);
// The words of the last live frame taken in, as it came (pp may hold
// another exchange's words since).
const uint16_t* LastLiveFrame();
// A live request is out and no frame has answered it yet.
bool LiveRequestOpen();

int CC_DropDCom(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);
