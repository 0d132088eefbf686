// Control ids and panel resource ids of the resource file, generated from
// controls.def. Names are exactly the controls' object names.
#pragma once

// Kinds of control the resource file uses.
enum CtrlKind {
    KIND_NONE = 0,
    KIND_COMMAND,     // command button
    KIND_TOGGLE,      // toggle button
    KIND_RADIO,       // radio button (no automatic exclusivity)
    KIND_NUMERIC,     // numeric editor
    KIND_INDICATOR,   // numeric indicator (read only)
    KIND_RING,        // ring or drop-down with item values
    KIND_SWITCH,      // binary switch
    KIND_SLIDE,       // slide
    KIND_STRING,      // one-line string / status line
    KIND_TEXTBOX,     // multi-line text box
    KIND_TEXTMSG,     // text message (label)
    KIND_PICTURE,     // picture
    KIND_DECORATION,  // decoration
    KIND_GRAPH,       // graph
    KIND_STRIPCHART,  // strip chart
};

// Panel resource ids.
enum PanelResourceId {
#define PANELDEF(name, rid, cb) name = rid,
#include "ui/controls.def"
};

// Control ids: position in controls.def, from 1.
enum ControlId {
    CTRL_FIRST_ = 0,
#define CTRL(panel, name, kind, cb) name,
#include "ui/controls.def"
    CTRL_COUNT_,  // first id NewCtrl may hand out
};

struct ControlDef {
    int id;
    int panelResourceId;
    const char* name;
    CtrlKind kind;
    const char* callback;  // "" when the control has none
};
struct PanelDef {
    int resourceId;
    const char* name;
    const char* callback;  // "" when the panel has none
};

inline constexpr ControlDef kControlDefs[] = {
#define CTRL(panel, name, kind, cb) {name, panel, #name, kind, cb},
#include "ui/controls.def"
};
inline constexpr PanelDef kPanelDefs[] = {
#define PANELDEF(name, rid, cb) {rid, #name, cb},
#include "ui/controls.def"
};
