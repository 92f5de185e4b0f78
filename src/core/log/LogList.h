#pragma once
// The records of a log file in file order, cut at every entry marker "EdGe". This is the
// statistics' way of reading a log: no ring order, no container parsing.
//
// The list keeps no records: it keeps its own handle of each file loaded and cuts and
// parses the file again on every walk, one record at a time. A log of any size so costs the
// same small memory, which a decompression bomb of tens of millions of records needs.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/base/FileSystem.h"
#include "core/base/LocalTime.h"
#include "core/log/LogFileAccess.h"
#include "core/log/LogRecord.h"

namespace qx7 {

class CLogList {
  public:
    // A record (the bytes after a marker up to and including the next one) longer than this is
    // dropped; real entries never come near it.
    static constexpr std::size_t kMaxRecordBytes = 16384;

    CLogList() = default;
    ~CLogList();
    CLogList(CLogList&& other) noexcept;
    CLogList& operator=(CLogList&& other) noexcept;
    CLogList(const CLogList&) = delete;
    CLogList& operator=(const CLogList&) = delete;

    // 0 when the file could be read (also without any marker), -1 when it cannot be opened,
    // kLogNotRegularFile (-10) when it is no regular file. Records are appended. The file may be
    // removed afterwards; the list still reads it. The local time must outlive the list: walks
    // convert the dates with it.
    int Load(const std::string& path, const ILocalTime& localTime);
    // The same for an open file, read from its start whatever the stream's position; the list
    // takes a handle of its own, so the caller may close the stream at once.
    int Load(std::FILE* file, const ILocalTime& localTime);
    // Bytes of a file at an offset: the count read, 0 at its end, -1 on an error (which ends the
    // reading as the end does).
    using ByteReader =
        std::function<std::int64_t(void* buffer, std::size_t size, std::uint64_t offset)>;
    // The same for a file still being written: the records are counted through `growing`,
    // whose reads wait for their bytes, and walks read `file` itself, which must be complete by
    // then (an inflated copy, LogDecompress.h).
    int Load(std::FILE* file, const ByteReader& growing, const ILocalTime& localTime);
    // The same for a file or for bytes in memory (LogFileAccess.h); the list shares the bytes.
    int Load(const LogSource& source, const ILocalTime& localTime);

    std::size_t GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    void RemoveAll();

    // One walk over the records in list order, each record indexed from 0.
    class Walk {
      public:
        explicit Walk(const CLogList& list);
        ~Walk();
        Walk(Walk&&) noexcept;
        Walk& operator=(Walk&&) noexcept;
        // The next record, or nullptr after the last; valid until the next call.
        const CLogRecord* Next();

      private:
        struct State;
        std::unique_ptr<State> state_;
    };
    Walk Records() const { return Walk(*this); }

    // Range-for over a fresh walk: `for (const CLogRecord& record : list)`. The iterator is a
    // single-pass one; each loop reads the files again.
    class Iterator {
      public:
        using iterator_category = std::input_iterator_tag;
        using value_type = CLogRecord;
        using difference_type = std::ptrdiff_t;

        explicit Iterator(Walk walk) : walk_(std::move(walk)), record_(walk_.Next()) {}
        const CLogRecord& operator*() const { return *record_; }
        const CLogRecord* operator->() const { return record_; }
        Iterator& operator++() {
            record_ = walk_.Next();
            return *this;
        }
        bool operator==(std::default_sentinel_t) const { return record_ == nullptr; }

      private:
        Walk walk_;
        const CLogRecord* record_;
    };
    Iterator begin() const { return Iterator(Records()); }
    std::default_sentinel_t end() const { return {}; }

  private:
    struct Source {
        std::unique_ptr<PositionalReader> file;  // its own handle: the stream may be closed
        const ILocalTime* localTime;
    };
    std::vector<Source> sources_;
    std::size_t count_ = 0;
};

}  // namespace qx7
