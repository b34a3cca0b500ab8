#pragma once

#include <string>

namespace varnadex {

// How a message box looks. The window owns every box; the core only says which kind.
enum class MessageKind {
    Error,   // catalogue caption "There is an error", exclamation icon
    Plain,   // application name as caption, no icon ("Done", old-firmware notice)
    Warning, // application name as caption, exclamation icon (validation, start-up)
};

// Where operations report to the user. The window shows boxes, the CLI prints lines,
// tests record what was said.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void show(MessageKind kind, const std::string& text) = 0;
    // What only a terminal has room for: the system's reason behind a box's text, or a fault
    // that the window passes over in silence. The window keeps to its boxes and drops it.
    virtual void note(const std::string& text) { (void)text; }
};

} // namespace varnadex
