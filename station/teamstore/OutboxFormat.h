#pragma once

#include "OutboxEntry.h"

#include <string>
#include <vector>

// The outbox's file, UTF-8 JSON: {"format": 2, "answers": [...]}, each answer with its server
// and batch; white space after it (an empty outbox written over a longer one) is none of it.
// A file of format 1, whose answers name their batch only, is read too.
class OutboxFormat {
public:
    // The entries of the file at `path`, and its length in bytes; none when there is no file,
    // or one that a power cut left empty before its first write reached the disk. Throws
    // TeamRefusal (OutboxUnusable) naming the file when it cannot be read or is not an outbox
    // of this program.
    static std::vector<OutboxEntry> Read(const std::wstring& path, size_t& length);
    // The file's content for `entries`.
    static std::string Content(const std::vector<OutboxEntry>& entries);
};
