#pragma once
// The records of a log file in file order, cut at every entry marker "EdGe". This is the
// statistics' way of reading a log: no ring order, no container parsing.

#include <cstddef>
#include <cstdio>
#include <deque>
#include <string>

#include "core/base/LocalTime.h"
#include "core/log/LogRecord.h"

namespace qx7 {

class CLogList {
public:
    // A record (the bytes after a marker up to and including the next one) longer than this is
    // dropped; real entries never come near it.
    static constexpr std::size_t kMaxRecordBytes = 16384;

    // 0 when the file could be read (also without any marker), -1 when it cannot be opened,
    // kLogNotRegularFile (-10) when it is no regular file. Records are appended.
    int Load(const std::string& path, const ILocalTime& localTime);
    // The same from an open stream, from its position to its end; 0.
    int Load(std::FILE* file, const ILocalTime& localTime);

    std::size_t GetCount() const { return records_.size(); }
    bool IsEmpty() const { return records_.empty(); }
    const CLogRecord& operator[](std::size_t index) const { return records_[index]; }
    auto begin() const { return records_.begin(); }
    auto end() const { return records_.end(); }
    void RemoveAll() { records_.clear(); }
    // Appends a record and gives it the next index.
    CLogRecord& AddTail(CLogRecord record);

private:
    // A deque never moves its elements, so a million records grow without a copy of them all.
    std::deque<CLogRecord> records_;
};

}  // namespace qx7
