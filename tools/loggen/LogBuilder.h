#pragma once
// Building blocks for synthetic printer logs: one entry's words, the printer's ring buffer with
// wrap-around and overwriting, the plain and compressed containers with their blocks, and the
// bare log. Tests of every subsystem use these to make exactly the bytes they need.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qx7::loggen {

// Fields of one log entry. milliseconds 0..2047, type 0..7, subtype 0..31; the parameter bytes
// are written as whole words (a partial last word is padded with zero bytes) while the header
// carries their true count, so lengths that are not multiples of 4 can be made on purpose.
struct EntrySpec {
    std::uint32_t time = 0;
    std::uint32_t milliseconds = 0;
    std::uint32_t type = 4;
    std::uint32_t subtype = 0;
    std::uint32_t code = 0;
    std::vector<unsigned char> params;
};

// Header word: bits 31..21 milliseconds, 20..8 parameter length, 7..3 subtype, 2..0 type.
std::uint32_t HeaderWord(std::uint32_t milliseconds, std::uint32_t parameterLength,
                         std::uint32_t subtype, std::uint32_t type);

// Marker, time, header, code and the parameter words of one entry.
std::vector<std::uint32_t> EntryWords(const EntrySpec& entry);

// Parameter bytes from big-endian words.
std::vector<unsigned char> WordParams(std::initializer_list<std::uint32_t> words);
std::vector<unsigned char> WordParams(const std::vector<std::uint32_t>& words);
// A text parameter: `lead` bytes of zeros (4 for job name and comment, which start at byte 4),
// the UTF-8 text and a terminating zero, padded to whole words.
std::vector<unsigned char> TextParams(std::string_view text, std::size_t lead = 0);

// The printer's log ring: a fixed number of words written from word 0 on; writing past the
// end continues at word 0 and overwrites the oldest words, so an entry may straddle the end
// and leftovers of overwritten entries stay between whole ones.
class Ring {
public:
    // `fill` is the content of words never written (the printer's erased memory).
    explicit Ring(std::uint32_t words, std::uint32_t fill = 0);

    void Write(const std::vector<std::uint32_t>& words);
    void Write(const EntrySpec& entry) { Write(EntryWords(entry)); }
    // Moves the write position (for hand-made layouts); taken modulo the ring size.
    void SetCursor(std::uint32_t word);

    std::uint32_t Size() const { return static_cast<std::uint32_t>(words_.size()); }
    std::uint32_t Cursor() const { return cursor_; }
    bool Wrapped() const { return wrapped_; }
    const std::vector<std::uint32_t>& Words() const { return words_; }
    // The words as the log file stores them, big-endian.
    std::string Bytes() const;

private:
    std::vector<std::uint32_t> words_;
    std::uint32_t cursor_ = 0;
    bool wrapped_ = false;
};

// The log data bytes of a list of words, big-endian.
std::string WordBytes(const std::vector<std::uint32_t>& words);

// One settings block record: 8 header bytes, the data length n, the data and the sum of its
// words. `checksumDelta` is added to the correct sum (non-zero makes a wrong one);
// `lengthDelta` is added to the length field only, so the record disagrees with its size.
std::string SettingsRecord(const std::vector<unsigned char>& data, std::uint32_t checksumDelta = 0,
                           std::int32_t lengthDelta = 0);

// Data bytes of the six settings blocks (0x8011..0x8016).
std::size_t SettingsDataBytes(std::uint32_t blockId);

// A plain container: magic, reserved bytes, the PC save time, reserved bytes, then the blocks
// in the order they are added.
class ContainerBuilder {
public:
    // Twelve digits, YYYYMMDDhhmm; shorter texts are padded with '0', longer ones cut.
    ContainerBuilder& SavedAt(std::string_view twelveDigits);
    ContainerBuilder& Block(std::string_view tag, std::string_view payload);
    // A block whose length field says `declaredLength` whatever the payload is.
    ContainerBuilder& BlockWithLength(std::string_view tag, std::uint32_t declaredLength,
                                      std::string_view payload);
    // A text block; `terminate` appends a zero byte as the maintenance tool does.
    ContainerBuilder& TextBlock(std::string_view tag, std::string_view text,
                                bool terminate = true);
    ContainerBuilder& LogData(const Ring& ring);
    ContainerBuilder& LogData(std::string_view bytes);
    ContainerBuilder& End();
    // Raw bytes appended after everything else (garbage, a cut-off block ...).
    ContainerBuilder& Raw(std::string_view bytes);

    std::string Plain() const;

private:
    std::string saved_ = "000000000000";
    std::string blocks_;
};

// The compressed form: "QX7LG1ZL" and one gzip stream of the whole plain container.
std::string Compress(std::string_view plain, int level = 6);

// Writes bytes to a file in one piece, replacing an existing one; false on any error.
bool WriteBytes(const std::string& path, std::string_view bytes);

}  // namespace qx7::loggen
