// The run-time engine layer: panels, controls, graphs, pop-ups, event loop,
// RS-232, array files and time, with the names and arguments the program
// calls. Implemented over Qt 6; this header includes no Qt header, so the
// program code above it stays free of Qt.
//
// Texts passed in and out are ISO 8859-1 bytes (the program's own encoding
// on the line and in its files); the layer converts at the widget boundary.
// Results follow the engine's habit: a negative int is an error code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/controls.h"   // control ids (X-macro list), panel resource ids

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------
enum { MAX_PATHNAME_LEN = 260 };

// Events delivered to callbacks.
enum {
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,
    EVENT_RIGHT_CLICK = 5,
    EVENT_CLOSE = 11,
};

// Control and panel attributes.
enum {
    ATTR_DIMMED = 1,
    ATTR_VISIBLE,
    ATTR_LEFT,
    ATTR_TOP,
    ATTR_WIDTH,
    ATTR_HEIGHT,
    ATTR_TEXT_COLOR,         // int RGB
    ATTR_TEXT_BGCOLOR,       // int RGB: background of a numeric, text box, text message
    ATTR_FRAME_COLOR,        // int RGB: colour of a decoration or panel background
    ATTR_LABEL_TEXT,         // const char*
    ATTR_TEXT_POINT_SIZE,    // int
    ATTR_TEXT_FONT,          // const char*: "NIApp" (VAL_APP_META_FONT) is the application font
    ATTR_MIN_VALUE,          // double
    ATTR_MAX_VALUE,          // double
    ATTR_PRECISION,          // int: digits after the point shown by a numeric
    ATTR_POINTS_PER_SCREEN,  // strip chart, int
    ATTR_NUM_TRACES,         // strip chart, int
    ATTR_TITLE,              // panel title, const char*
    ATTR_CTRL_INDEX,         // ring / drop-down: index of the selected item (int)
    ATTR_NUM_ITEMS,          // ring / drop-down: number of items (read only)
    ATTR_TEXT_LINES,         // text box: number of lines (read only)
};
#define VAL_APP_META_FONT "NIApp"

// Attributes of graph cursors and strip-chart traces.
enum {
    ATTR_CURSOR_POINT_STYLE = 100,
    ATTR_CURSOR_COLOR,
    ATTR_TRACE_VISIBLE = 110,
    ATTR_TRACE_COLOR,
};

// Colours (24-bit RGB).
enum : int {
    VAL_BLACK = 0x000000,
    VAL_WHITE = 0xFFFFFF,
    VAL_RED = 0xFF0000,
    VAL_GREEN = 0x00FF00,
    VAL_DK_GREEN = 0x008000,
    VAL_BLUE = 0x0000FF,
    VAL_GRAY = 0xA0A0A0,
    VAL_LT_GRAY = 0xE0E0E0,
};

// Plot styles, point styles, line styles.
enum { VAL_THIN_LINE = 0, VAL_FAT_LINE = 1 };
enum {
    VAL_NO_POINT = 0,
    VAL_SIMPLE_DOT,
    VAL_EMPTY_SQUARE,
    VAL_SOLID_SQUARE,
    VAL_EMPTY_CIRCLE,
    VAL_SOLID_CIRCLE,
    VAL_DOTTED_SOLID_CIRCLE,
    VAL_CROSS,
};
enum { VAL_SOLID = 0, VAL_DASH = 1, VAL_DOT = 2 };

// Axes and scaling modes.
enum { VAL_BOTTOM_XAXIS = 0, VAL_LEFT_YAXIS = 1, VAL_RIGHT_YAXIS = 2 };
enum { VAL_MANUAL = 0, VAL_AUTOSCALE = 1 };
// DeleteGraphPlot: all plots, and when to redraw.
enum { VAL_ALL_PLOTS = -1 };
enum { VAL_DELAYED_DRAW = 0, VAL_IMMEDIATE_DRAW = 1 };

// NewCtrl styles.
enum { CTRL_TEXT_MSG = 1 };

// FileSelectPopup button labels: OK and SAVE accept a new name, LOAD and
// SELECT only an existing file.
enum { VAL_OK_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2, VAL_LOAD_BUTTON = 3 };
// FileSelectPopup results.
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };

// Array-file layouts.
enum { VAL_GROUPS_AS_COLUMNS = 0, VAL_GROUPS_AS_ROWS = 1 };

// Serial events (InstallComCallback).
enum { LWRS_RXFLAG = 0x0002, LWRS_TXEMPTY = 0x0004, LWRS_RECEIVE = 0x8000 };

// Error codes. RS-232 codes as OpenComConfig and the port calls return them.
enum {
    kRS232UnknownSysErr = -1,
    kRS232InvalidPortNum = -2,
    kRS232PortNotOpen = -3,
    kRS232UnknownIOErr = -4,
    kRS232NoPortFound = -6,
    kRS232CannotOpenPort = -7,
    kRS232InvalidParameter = -13,
    kRS232Timeout = -99,
};
// File and user-interface errors.
enum {
    UIEErrorOK = 0,
    UIEBadPanel = -4,            // not a valid panel handle
    UIEBadCtrl = -5,             // not a control of that panel
    UIEBadAttr = -6,             // attribute not supported by this control
    UIEBadValue = -7,            // value not accepted (e.g. a ring value no item holds)
    UIEResourceNotFound = -12,   // resource file or resource id missing
    UIEFileOpen = -30,           // file cannot be opened / created
    UIEFileRead = -31,           // read error, too few numbers, non-number, value outside the type
    UIEFileWrite = -32,          // write or commit failed (old file left whole)
    UIEFileWriteInPlace = -33,   // writing the old file in place failed: it may be cut
};

// ---------------------------------------------------------------------------
// Callbacks
// ---------------------------------------------------------------------------
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void* callbackData,
                                 int eventData1, int eventData2);
using ComCallbackPtr = void (*)(int port, int eventMask, void* callbackData);

// One row of the program's callback table. Exactly one of ctrl / panel is set.
struct CallbackEntry {
    const char* name;
    CtrlCallbackPtr ctrl;
    PanelCallbackPtr panel;
};
// Registers the program's callbacks; LoadPanel binds the names the resource
// file gives (the `callback` property) to these functions. Names the table
// does not hold are reported once and their controls get no callback.
void RegisterCallbacks(const CallbackEntry* table, std::size_t count);

// ---------------------------------------------------------------------------
// Start, event loop
// ---------------------------------------------------------------------------
// Starts the engine (creates the application object). 1 on success, 0 on failure.
int InitCVIRTE(int argc, char** argv);
int RunUserInterface();                // returns the code given to QuitUserInterface
int QuitUserInterface(int returnCode);
int ProcessSystemEvents();             // runs pending events, returns; never spins a core
// Our addition: `fn` runs on the user-interface thread, during event
// processing, when the process receives SIGTERM or SIGINT, so a quit asked
// from outside takes the same road as closing the main panel. nullptr
// restores the default handling. 0 on success, negative on failure.
int InstallQuitSignalCallback(void (*fn)());

// ---------------------------------------------------------------------------
// Panels
// ---------------------------------------------------------------------------
int LoadPanel(int parentPanel, const char* resourceFile, int resourceId);  // <0 on failure
int DisplayPanel(int panel);
int HidePanel(int panel);
int DiscardPanel(int panel);
int SetPanelPos(int panel, int top, int left);
int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char* value);
int GetPanelAttribute(int panel, int attribute, int* value);
int SetActivePanel(int panel);
int GetActivePanel();
int SetActiveCtrl(int panel, int control);
int GetActiveCtrl(int panel);

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------
// Values are kept exactly as set (a numeric stores a double: every 32-bit
// integer and every float is exact); display precision is a separate
// attribute. A ring / drop-down value selects the item with that value; a
// value no item holds leaves the ring unchanged and returns UIEBadValue.
// A string on a text box replaces its whole text.
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, unsigned int value);
int SetCtrlVal(int panel, int control, short value);
int SetCtrlVal(int panel, int control, unsigned short value);
int SetCtrlVal(int panel, int control, long long value);
int SetCtrlVal(int panel, int control, double value);
int SetCtrlVal(int panel, int control, float value);
int SetCtrlVal(int panel, int control, const char* value);

// Reads convert the stored value to the requested type: integers truncate
// toward zero and keep the low bits of the target width.
int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, unsigned int* value);
int GetCtrlVal(int panel, int control, short* value);
int GetCtrlVal(int panel, int control, unsigned short* value);
int GetCtrlVal(int panel, int control, double* value);
int GetCtrlVal(int panel, int control, float* value);
int GetCtrlVal(int panel, int control, std::string* value);

int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, double value);
int SetCtrlAttribute(int panel, int control, int attribute, const char* value);
int GetCtrlAttribute(int panel, int control, int attribute, int* value);
int GetCtrlAttribute(int panel, int control, int attribute, double* value);
int GetCtrlAttribute(int panel, int control, int attribute, std::string* value);

// Rectangle of the control and its label, in panel coordinates.
int GetCtrlBoundingRect(int panel, int control, int* top, int* left, int* height, int* width);
// Creates a control on the panel; returns its new id (>0) or a negative error.
int NewCtrl(int panel, int style, const char* label, int top, int left);
int ResetTextBox(int panel, int control, const char* text);
// Replaces line `line` (0-based); a line past the last extends the box with
// empty lines up to it.
int ReplaceTextBoxLine(int panel, int control, int line, const char* text);
int ReplaceListItem(int panel, int control, int index, const char* label, int value);
int DisplayImageFile(int panel, int control, const char* fileName);

// ---------------------------------------------------------------------------
// Graphs and strip chart
// ---------------------------------------------------------------------------
// Plot handles are positive ints, unique per graph.
int PlotXY(int panel, int control, const double* x, const double* y, int numPoints,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
int PlotXY(int panel, int control, const double* x, const uint16_t* y, int numPoints,
           int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2,
                  int frameColor, int fillColor);
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh);
int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);
int SetGraphCursor(int panel, int control, int cursorNumber, double x, double y);
int SetCursorAttribute(int panel, int control, int cursorNumber, int attribute, int value);
// Values interleaved by trace (one value per trace in turn); `start` is the
// index of the first value taken, `skip` the values skipped between points.
int PlotStripChart(int panel, int control, const double* values, int numPoints,
                   int start, int skip);
int SetTraceAttribute(int panel, int control, int trace, int attribute, int value);  // trace from 1

// ---------------------------------------------------------------------------
// Pop-ups
// ---------------------------------------------------------------------------
// pathName receives the chosen path (at most MAX_PATHNAME_LEN bytes with the
// terminator). Returns VAL_NO_FILE_SELECTED, VAL_EXISTING_FILE_SELECTED or
// VAL_NEW_FILE_SELECTED. A save dialog asks no overwrite question itself.
int FileSelectPopup(const char* defaultDirectory, const char* defaultFileName,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char* pathName);
int ConfirmPopup(const char* title, const char* message);  // 1 yes, 0 no

// ---------------------------------------------------------------------------
// RS-232
// ---------------------------------------------------------------------------
// Port numbers resolve through the port table: the system's serial ports in
// a stable order, then overrides set with SetComPortPath. An empty
// deviceName means the table's device for the number.
int OpenComConfig(int port, const char* deviceName, long baudRate, int parity,
                  int dataBits, int stopBits, int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int ComWrt(int port, const char* buffer, int count);   // bytes written, or <0
int ComRd(int port, char* buffer, int count);          // waits up to the port time-out
int FlushInQ(int port);
int FlushOutQ(int port);
int GetInQLen(int port);                               // counts bytes still in the kernel too
int SetComTime(int port, double timeoutSeconds);
int SetCTSMode(int port, int mode);
// Removal: install with no function (nullptr). The function is called on the
// UI thread during event processing, once each time the queue reaches
// notifyCount (again only after it has fallen below), never inside ComRd.
int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                       ComCallbackPtr callback, void* callbackData);

// Port table (our addition): map a port number to a device path (the
// simulated pair, --port N=PATH), and describe a number for the drop-down.
void SetComPortPath(int port, const std::string& devicePath);
std::string ComPortDevice(int port);        // "" when the number has no device
std::string ComPortDescription(int port);   // e.g. "COM1  /dev/ttyS0 (16550A)"
void RefreshComPorts();

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------
// A column (one value a line, right-aligned in fieldWidth) of unsigned 32-bit
// values, replacing the file atomically: a failed write leaves the old file
// whole. Where no new file can be made beside an existing one (a folder
// without write access, a name with no room for a temporary one), the old
// file is written in place. 0 on success, negative on failure.
int ArrayToFile(const char* fileName, const uint32_t* values, int count, int fieldWidth);
// Appends: raw characters as they are ...
int ArrayToFileAppend(const char* fileName, const char* chars, int count);
// ... and numbers as one text row (values separated by tabs, each right-
// aligned in fieldWidth when it is above 0), ending the line.
int ArrayToFileAppend(const char* fileName, const int32_t* values, int count, int fieldWidth);
int ArrayToFileAppend(const char* fileName, const uint32_t* values, int count, int fieldWidth);
// Readers: the first `count` numbers separated by white space. Fewer numbers,
// a non-number or a value outside the type is a failed read (UIEFileRead),
// and `values` is then left untouched.
int FileToArray(const char* fileName, uint32_t* values, int count);
int FileToArray(const char* fileName, int16_t* values, int count);
int CVI_DeleteFile(const char* fileName);
// What was written to the file reaches the disk before this returns (our
// addition: appends are handed to the system at once, this makes them
// last through a power cut). 0, or negative when the file cannot be synced.
int SyncFile(const char* fileName);
// 1 when fileName is an existing file (its size in *fileSize when not null),
// 0 when there is none.
int GetFileInfo(const char* fileName, long* fileSize);
// Joins a directory and a file name; -1 when the result would not fit in
// MAX_PATHNAME_LEN bytes.
int MakePathname(const char* directory, const char* fileName, char* pathName);
int GetProjectDir(char* directory);      // the executable's directory
void SetProjectDir(const char* directory);  // tests and scripted runs
// The folder for the user's files (our addition): the program's directory
// where files can be made there, else the user's documents folder, made if
// missing. 0, or -1 when no folder fits the buffer.
int GetUserFileDir(char* directory);

// ---------------------------------------------------------------------------
// Time and text
// ---------------------------------------------------------------------------
double Timer();              // monotonic seconds
void Delay(double seconds);  // sleeps; runs no events
const char* DateStr();       // "MM-DD-YYYY"
const char* TimeStr();       // "HH:MM:SS"
int StringLength(const char* text);
