#include "core/settings/EEPFile.h"

#include <cerrno>

#include "core/base/AtomicOutputFile.h"
#include "core/base/Resources.h"
#include "core/output/ExportOutput.h"
#include "core/output/OutputFile.h"

namespace qx7 {
namespace {

constexpr std::size_t kFieldsPerLine = 5;

std::string Hex4(std::int32_t value) {
    return "0x" + HexDigits(static_cast<std::uint32_t>(value), 4);
}

}  // namespace

std::string HexDigits(std::uint32_t value, int minDigits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0xFU]);
        value >>= 4;
    } while (value != 0);
    if (digits.size() < static_cast<std::size_t>(minDigits)) {
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    }
    return digits;
}

std::string ValueText(const CMemEntry& entry, HexSpacing spacing) {
    switch (entry.attribute) {
        case kAttrUnsigned:
            return std::to_string(entry.valueLow);
        case kAttrSigned:
            return std::to_string(static_cast<std::int32_t>(entry.valueLow));
        default:
            break;
    }
    std::string text = "0x";
    for (std::int32_t i = 0; i < entry.size && i < kMaxValueSize; ++i) {
        text += HexDigits(entry.ByteAt(i), 2);
        if (spacing == HexSpacing::EveryTwoBytes && i % 2 == 1) {
            text += ' ';
        }
    }
    return text;
}

void CEEPFile::Reset() {
    report_.Clear();
    entries_.clear();
    rowPositions_.clear();
    blockId_ = 0;
    headerSeen_ = false;
    valueCount_ = 0;
    totalBytes_ = 0;
}

void CEEPFile::SetSource(std::string_view text) {
    source_.assign(text.begin(), text.end());
    position_ = 0;
}

void CEEPFile::Close() {
    source_.clear();
    source_.shrink_to_fit();
    position_ = 0;
}

bool CEEPFile::LoadTemplate(int resourceNumber) {
    Reset();
    if (resourceNumber == 0) {
        return false;
    }
    const auto bytes = res::Find("templates/" + std::to_string(resourceNumber) + ".csv");
    if (!bytes || bytes->empty()) {
        return false;
    }
    source_.assign(bytes->begin(), bytes->end());
    position_ = 0;
    return ParseTemplate();
}

bool CEEPFile::ParseLine(std::string_view line, bool& failedFields, CMemEntry& entry) const {
    std::vector<std::string> fields(1);
    std::string_view comment;
    bool quoting = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoting = !quoting;
            continue;
        }
        if (!quoting && c == ',') {
            if (fields.size() == kFieldsPerLine) {
                return false;
            }
            fields.emplace_back();
            continue;
        }
        if (!quoting && c == '#') {
            comment = line.substr(i);
            break;
        }
        fields.back().push_back(c);
        if (fields.back().size() > kMaxTemplateField) {
            return false;
        }
    }
    const bool noFields = fields.size() == 1 && fields[0].empty();
    if (noFields) {
        fields.resize(kFieldsPerLine);
    } else if (fields.size() != kFieldsPerLine) {
        return false;
    }
    if (!entry.ParseFields(fields[0], fields[1], fields[2], fields[3], fields[4])) {
        failedFields = true;
        return false;
    }
    if (entry.index != kHeaderIndex) {
        entry.text.assign(comment);
    }
    return true;
}

bool CEEPFile::Fail(int code) {
    report_.Add(kMsgInternalError, code);
    if (!headerSeen_) {
        report_.Add(kMsgInternalError, -124);
    }
    return false;
}

bool CEEPFile::ParseTemplate() {
    Reset();
    std::int32_t address = 0;
    const std::string_view text(reinterpret_cast<const char*>(source_.data()), source_.size());
    while (position_ < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", position_);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        const std::string_view line = text.substr(position_, stop - position_);
        position_ = stop == text.size() ? stop : stop + 1;
        if (line.empty()) {
            continue;
        }
        CMemEntry entry;
        bool failedFields = false;
        if (!ParseLine(line, failedFields, entry)) {
            if (failedFields) {
                report_.Add(kMsgIllegalFormat, -20);
            }
            return Fail(-123);
        }
        if (entry.index == valueCount_) {
            // A numbered row that is not a parameter (size -1) has no place in the block.
            if (!entry.IsValueRow()) {
                return Fail(-122);
            }
            entry.address = address;
            address += entry.size;
            totalBytes_ += entry.size;
            ++valueCount_;
            if (entry.size > 4) {
                entry.attribute = kAttrHex;
            }
            rowPositions_.push_back(entries_.size());
            entries_.push_back(std::move(entry));
        } else if (entry.index == kCommentIndex) {
            entries_.push_back(std::move(entry));
        } else if (entry.index == kHeaderIndex) {
            if (valueCount_ > 0) {
                return Fail(-120);
            }
            if (headerSeen_) {
                return Fail(-121);
            }
            blockId_ = entry.size;
            headerSeen_ = true;
            address = 0;
            entries_.push_back(std::move(entry));
        } else {
            return Fail(-122);
        }
    }
    if (!headerSeen_) {
        report_.Add(kMsgInternalError, -124);
        return false;
    }
    return true;
}

bool CEEPFile::FillValues(std::size_t length, const unsigned char* data) {
    std::size_t offset = 0;
    for (const std::size_t position : rowPositions_) {
        CMemEntry& entry = entries_[position];
        const auto size = static_cast<std::size_t>(entry.size);
        if (data != nullptr && length - offset >= size) {
            entry.SetFromBytes(entry.size, data + offset);
            offset += size;
        } else {
            entry.SetValue(0);
        }
    }
    return true;
}

bool CEEPFile::LoadBlock(int resourceNumber, const unsigned char* data, std::size_t length) {
    if (!LoadTemplate(resourceNumber)) {
        return false;
    }
    return FillValues(length, data);
}

const CMemEntry* CEEPFile::FindEntry(std::int32_t index) const {
    if (index >= 0) {
        const auto row = static_cast<std::size_t>(index);
        return row < rowPositions_.size() ? &entries_[rowPositions_[row]] : nullptr;
    }
    for (const CMemEntry& entry : entries_) {
        if (entry.index == index) {
            return &entry;
        }
    }
    return nullptr;
}

bool CEEPFile::GetHeader(std::int32_t& blockId, std::int32_t& version, std::string& signature,
                         std::string& title) const {
    const CMemEntry* header = FindEntry(kHeaderIndex);
    if (header == nullptr) {
        return false;
    }
    blockId = header->size;
    version = header->attribute;
    signature = header->text;
    title = header->name;
    return true;
}

std::string CEEPFile::CsvText() const {
    std::string csv;
    for (const CMemEntry& entry : entries_) {
        if (entry.index == kHeaderIndex) {
            csv += std::to_string(entry.index) + "," + Hex4(entry.size) + ",\"" + entry.text +
                   "\"," + Hex4(entry.attribute) + ",\"" + entry.name + "\"\r\n";
        } else if (entry.index < 0) {
            csv += entry.text + "\r\n";
        } else {
            csv += std::to_string(entry.index) + "," + std::to_string(entry.size) + "," +
                   ValueText(entry, HexSpacing::None) + "," + std::to_string(entry.attribute) +
                   ",\"" + entry.name + "\" ";
            csv += entry.text.empty() ? "\r\n" : " " + entry.text + "\r\n";
        }
    }
    return csv;
}

bool CEEPFile::SaveCsv(const std::string& path, ExistingTarget existing,
                       const std::string& logPath) const {
    report_.Clear();
    AtomicOutputFile file;
    if (const OutputOpening opening = OpenOutput(file, path, logPath, existing);
        !opening.Opened()) {
        // The log itself is refused in words; otherwise a full disk may already refuse the new
        // file: the only cause worth naming here.
        const int error = opening.error;
        report_.AddWithText(kMsgFileIoError, kCodeSettingsCsvFailed,
                            opening.failure == OutputFailure::kSameAsInput ? opening.cause
                            : IsDiskFull(error) ? path + ": " + CannotCreateCause(error)
                                                : path);
        return false;
    }
    // Unlike a plain fopen, a failed write or rename is reported too, with its cause ("No space
    // left on device"): no file then.
    if (!file.Write(CsvText()) || !file.Commit()) {
        const int error = file.Error();
        const std::string detail = error == EEXIST ? path : path + ": " + CannotWriteCause(error);
        file.Abandon();
        report_.AddWithText(kMsgFileIoError, kCodeSettingsCsvFailed, detail);
        return false;
    }
    return true;
}

}  // namespace qx7
