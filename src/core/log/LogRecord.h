#pragma once
// One log entry as the statistics read it: cut from the file at the entry markers, with its
// code, type, local date and the parameter bytes the extraction operations can reach.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/base/LocalTime.h"
#include "core/log/LogDate.h"

namespace qx7 {

// Dot count to ink amount: the dot volume depends on the resolution.
double InkAmount(std::uint32_t count, std::int32_t resolution);

class CLogRecord {
  public:
    // The extraction operations never look past the first 64 parameter bytes (one dump line),
    // so a record keeps no more than that.
    static constexpr std::size_t kKeptParameterBytes = 64;
    static constexpr std::size_t kMaxTextBytes = 63;

    CLogRecord() = default;

    // False (and the record keeps its defaults) for fewer than 12 bytes. `bytes` are the bytes
    // after an entry marker up to and including the next marker.
    bool Parse(const unsigned char* bytes, std::size_t count, const ILocalTime& localTime);
    // The same with the zone's standard offset already looked up (for loading many records).
    bool Parse(const unsigned char* bytes, std::size_t count, const ILocalTime& localTime,
               std::int64_t offsetWestSeconds);

    // Back to what a new record holds, in place: a walk parses each record into the same one.
    // Parameter bytes past the kept count are never looked at, so they are left as they are.
    void Reset() {
        index_ = 0;
        code_ = 0;
        date_ = CLogDate();
        subtype_ = 0;
        type_ = 0;
        parameterCount_ = 0;
        note_.reset();
    }

    bool IsValid() const { return true; }
    std::int32_t GetIndex() const { return index_; }
    void SetIndex(std::int32_t index) { index_ = index; }
    std::uint32_t GetCode() const { return code_; }
    bool IsCode(std::uint32_t code) const { return code_ == code; }
    const CLogDate& GetDate() const { return date_; }
    std::int32_t GetSubtype() const { return subtype_; }
    std::int32_t GetType() const { return type_; }
    // The text of records of code 0x4E000625; empty for all others.
    std::string GetNote() const { return note_ ? *note_ : std::string(); }
    // Whether the record has parameter bytes (a dump): the extraction operations answer 0
    // without one, after clearing their outputs.
    bool HasDump() const { return parameterCount_ > 0; }

    int GetText(std::string& text) const;
    int GetTextFromWord1(std::string& text) const;
    int GetWords2To9(std::uint32_t (&words)[8]) const;
    int GetAdvancedSettings(std::uint8_t& a, std::uint8_t& b, std::uint32_t& c,
                            std::uint8_t& d) const;
    int GetMainSettings(std::string& timeText, std::string& modelText, std::string& settingText,
                        std::uint8_t (&bytes)[8], const ILocalTime& localTime) const;
    int GetWords0And1(std::uint32_t& first, std::uint32_t& second) const;

    // The dump lines the parameter bytes make (seven blanks, sixteen " %08X" columns, " | ",
    // the bytes as characters); only the kept bytes, so at most the first line.
    std::string FirstDumpLine() const;

  private:
    std::uint8_t Byte(std::size_t i) const { return i < parameterCount_ ? parameters_[i] : 0; }
    std::uint32_t Word(std::size_t index) const;
    int TextFrom(std::size_t start, std::string& text) const;

    std::int32_t index_ = 0;
    std::uint32_t code_ = 0;
    CLogDate date_;
    std::int8_t subtype_ = 0;
    std::int8_t type_ = 0;
    std::uint8_t parameterCount_ = 0;  // kept bytes, 0..64
    std::array<std::uint8_t, kKeptParameterBytes> parameters_{};
    std::unique_ptr<std::string> note_;
};

}  // namespace qx7
