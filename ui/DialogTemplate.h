#pragma once

#include <vector>

namespace varnadex::ui {

enum class ControlKind {
    GroupBox,
    Label,
    Picture, // text holds the resource name of the bitmap
    Edit,
    ComboEditable, // drop-down combo box that also takes typed text
    ComboList,     // drop-down list only
    RadioButton,
    CheckBox,
    PushButton,
    DefaultButton,
    ProgressBar,
    List, // rows of columns; the text holds the column headings, separated by tabs
};

enum ControlFlag : unsigned {
    None = 0,
    FirstInGroup = 1u << 0, // first radio button of a group
    StartsDisabled = 1u << 1,
    Centered = 1u << 2,
    DigitsOnly = 1u << 3,
    ReadOnly = 1u << 4,
    Bordered = 1u << 5,
};

// A rectangle in dialog units.
struct DluRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool empty() const { return w == 0 && h == 0; }
};

// One control of a dialog template: what it is, its texts in both languages, where it stands.
struct ControlTemplate {
    int id; // control id; -1 for static controls without one
    ControlKind kind;
    const char* english;
    const char* hungarian;
    DluRect rect;               // English position
    DluRect hungarianRect = {}; // where the Hungarian template differs; empty = same
    unsigned flags = None;
    int buddy = 0;     // labels: the id of the control they name (keyboard and screen readers)
    int textLimit = 0; // edits: at most this many characters may be typed; 0 = no limit
    // The record's field the control shows (a radio group's first button stands for the
    // group), named as the field table names it; the field's kind says how it is exchanged
    // and checked, and its limit caps typing. `exchange` is its place in the dialog's
    // exchange order, from 1.
    const char* field = nullptr;
    int exchange = 0;
};

// A dialog as data: both language variants share the controls and differ in texts and a
// few positions.
struct DialogTemplate {
    int englishId;
    int hungarianId;
    const char* englishTitle;
    const char* hungarianTitle;
    DluRect size;          // English size (x, y unused)
    DluRect hungarianSize; // empty = same
    std::vector<ControlTemplate> controls;
};

} // namespace varnadex::ui
