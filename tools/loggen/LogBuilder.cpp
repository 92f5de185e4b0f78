#include "loggen/LogBuilder.h"

#include <zlib.h>

#include <stdexcept>

#include "core/base/AtomicOutputFile.h"
#include "core/base/ByteOrder.h"
#include "core/log/QXLogEntry.h"

namespace qx7::loggen {
namespace {

void AppendU32(std::string& out, std::uint32_t value) {
    unsigned char bytes[4];
    WriteU32BE(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

std::string FourCharacters(std::string_view tag) {
    std::string result(tag.substr(0, 4));
    result.resize(4, ' ');
    return result;
}

}  // namespace

std::uint32_t HeaderWord(std::uint32_t milliseconds, std::uint32_t parameterLength,
                         std::uint32_t subtype, std::uint32_t type) {
    return ((milliseconds & 0x7FF) << 21) | ((parameterLength & 0x1FFF) << 8) |
           ((subtype & 0x1F) << 3) | (type & 0x7);
}

std::vector<std::uint32_t> EntryWords(const EntrySpec& entry) {
    const auto length = static_cast<std::uint32_t>(entry.params.size());
    std::vector<std::uint32_t> words{
        kEntryMarker, entry.time,
        HeaderWord(entry.milliseconds, length, entry.subtype, entry.type), entry.code};
    for (std::size_t i = 0; i < entry.params.size(); i += 4) {
        unsigned char bytes[4] = {0, 0, 0, 0};
        for (std::size_t j = 0; j < 4 && i + j < entry.params.size(); ++j) {
            bytes[j] = entry.params[i + j];
        }
        words.push_back(ReadU32BE(bytes));
    }
    return words;
}

std::vector<unsigned char> WordParams(std::initializer_list<std::uint32_t> words) {
    return WordParams(std::vector<std::uint32_t>(words));
}

std::vector<unsigned char> WordParams(const std::vector<std::uint32_t>& words) {
    std::vector<unsigned char> bytes(words.size() * 4);
    for (std::size_t i = 0; i < words.size(); ++i) {
        WriteU32BE(bytes.data() + 4 * i, words[i]);
    }
    return bytes;
}

std::vector<unsigned char> TextParams(std::string_view text, std::size_t lead) {
    std::vector<unsigned char> bytes(lead, 0);
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    bytes.resize((bytes.size() + 3) / 4 * 4, 0);
    return bytes;
}

Ring::Ring(std::uint32_t words, std::uint32_t fill) : words_(words, fill) {
    if (words == 0) {
        throw std::invalid_argument("a log ring needs at least one word");
    }
}

void Ring::Write(const std::vector<std::uint32_t>& words) {
    const auto size = static_cast<std::uint32_t>(words_.size());
    for (const std::uint32_t word : words) {
        words_[cursor_] = word;
        if (++cursor_ == size) {
            cursor_ = 0;
            wrapped_ = true;
        }
    }
}

void Ring::SetCursor(std::uint32_t word) { cursor_ = word % Size(); }

std::string Ring::Bytes() const { return WordBytes(words_); }

std::string WordBytes(const std::vector<std::uint32_t>& words) {
    std::string bytes(words.size() * 4, '\0');
    auto* out = reinterpret_cast<unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < words.size(); ++i) {
        WriteU32BE(out + 4 * i, words[i]);
    }
    return bytes;
}

std::string SettingsRecord(const std::vector<unsigned char>& data, std::uint32_t checksumDelta,
                           std::int32_t lengthDelta) {
    std::string record(8, '\0');
    AppendU32(record, static_cast<std::uint32_t>(static_cast<std::int64_t>(data.size()) +
                                                 lengthDelta));
    record.append(reinterpret_cast<const char*>(data.data()), data.size());
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
        sum += ReadU32BE(data.data() + i);
    }
    AppendU32(record, sum + checksumDelta);
    return record;
}

std::size_t SettingsDataBytes(std::uint32_t blockId) {
    switch (blockId) {
    case 0x8011: return 204;
    case 0x8012: return 64;
    case 0x8013: return 128;
    case 0x8014: return 528;
    case 0x8015: return 308;
    case 0x8016: return 64;
    default: return 0;
    }
}

ContainerBuilder& ContainerBuilder::SavedAt(std::string_view twelveDigits) {
    saved_.assign(twelveDigits.substr(0, 12));
    saved_.resize(12, '0');
    return *this;
}

ContainerBuilder& ContainerBuilder::Block(std::string_view tag, std::string_view payload) {
    return BlockWithLength(tag, static_cast<std::uint32_t>(payload.size()), payload);
}

ContainerBuilder& ContainerBuilder::BlockWithLength(std::string_view tag,
                                                    std::uint32_t declaredLength,
                                                    std::string_view payload) {
    blocks_ += FourCharacters(tag);
    AppendU32(blocks_, declaredLength);
    blocks_.append(payload);
    return *this;
}

ContainerBuilder& ContainerBuilder::TextBlock(std::string_view tag, std::string_view text,
                                              bool terminate) {
    std::string payload(text);
    if (terminate) {
        payload.push_back('\0');
    }
    return Block(tag, payload);
}

ContainerBuilder& ContainerBuilder::LogData(const Ring& ring) { return LogData(ring.Bytes()); }

ContainerBuilder& ContainerBuilder::LogData(std::string_view bytes) {
    return Block("LGDT", bytes);
}

ContainerBuilder& ContainerBuilder::End() { return Block("ENDF", ""); }

ContainerBuilder& ContainerBuilder::Raw(std::string_view bytes) {
    blocks_.append(bytes);
    return *this;
}

std::string ContainerBuilder::Plain() const {
    std::string out = "QX7LG1XX";
    out.append(4, '\0');
    out += saved_;
    out.append(12, '\0');
    out += blocks_;
    return out;
}

std::string Compress(std::string_view plain, int level) {
    z_stream stream{};
    // windowBits 15 + 16 asks deflate for a gzip wrapper.
    if (deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    std::string out = "QX7LG1ZL";
    const std::size_t head = out.size();
    out.resize(head + deflateBound(&stream, static_cast<uLong>(plain.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + head);
    stream.avail_out = static_cast<uInt>(out.size() - head);
    const int result = deflate(&stream, Z_FINISH);
    out.resize(head + stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate failed");
    }
    return out;
}

bool WriteBytes(const std::string& path, std::string_view bytes) {
    AtomicOutputFile file;
    if (file.Open(path, ExistingTarget::kReplace) != 0) {
        return false;
    }
    if (!file.Write(bytes)) {
        file.Abandon();
        return false;
    }
    return file.Commit();
}

}  // namespace qx7::loggen
