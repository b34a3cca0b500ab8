#pragma once

#include "app/MessageSink.h"

#include <string>
#include <vector>

namespace varnadex::test {

// Records every message an operation shows, in order.
class RecordingSink : public IMessageSink {
public:
    struct Entry {
        MessageKind kind;
        std::string text;
        bool operator==(const Entry&) const = default;
    };
    void show(MessageKind kind, const std::string& text) override {
        entries.push_back({kind, text});
    }
    void note(const std::string& text) override { notes.push_back(text); }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& e : entries)
            out.push_back(e.text);
        return out;
    }
    std::vector<Entry> entries;
    std::vector<std::string> notes;
};

} // namespace varnadex::test
