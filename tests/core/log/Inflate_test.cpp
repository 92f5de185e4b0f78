#include "core/log/Inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace qx7 {
namespace {

std::vector<Inflate::Kind> Kinds() {
    std::vector<Inflate::Kind> kinds = {Inflate::Kind::kZlib};
    if (Inflate::HasIsal()) {
        kinds.push_back(Inflate::Kind::kIsal);
    }
    return kinds;
}

std::string RawDeflate(const std::string& plain, int level) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, static_cast<uLong>(plain.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void PutU32LE(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// One gzip member with the optional header fields `flags` asks for (FEXTRA, FNAME, FCOMMENT,
// FHCRC), built by hand so that every field is really there.
std::string GzipMember(const std::string& plain, unsigned flags = 0, int level = 6) {
    std::string member = {'\x1F', '\x8B', 8, static_cast<char>(flags), 1, 2, 3, 4, 0, 3};
    if ((flags & 4) != 0) {
        member += std::string("\x05\x00", 2) + "extra";
    }
    if ((flags & 8) != 0) {
        member += std::string("name.log") + '\0';
    }
    if ((flags & 16) != 0) {
        member += std::string("a comment") + '\0';
    }
    if ((flags & 2) != 0) {
        const uLong check = crc32(0, reinterpret_cast<const Bytef*>(member.data()),
                                  static_cast<uInt>(member.size()));
        member.push_back(static_cast<char>(check & 0xFF));
        member.push_back(static_cast<char>((check >> 8) & 0xFF));
    }
    member += RawDeflate(plain, level);
    PutU32LE(member,
             static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(plain.data()),
                                              static_cast<uInt>(plain.size()))));
    PutU32LE(member, static_cast<std::uint32_t>(plain.size()));
    return member;
}

struct Outcome {
    Inflate::Status status = Inflate::Status::kError;
    std::string out;
    std::size_t inputLeft = 0;

    bool operator==(const Outcome&) const = default;
};

// Inflates one member of `stream`, giving the input `feed` bytes and the output `room` bytes at
// a time.
Outcome InflateOne(Inflate::Kind kind, const std::string& stream, std::size_t feed,
                   std::size_t room) {
    const auto inflater = Inflate::Create(kind);
    EXPECT_NE(inflater, nullptr);
    Outcome outcome;
    std::vector<unsigned char> chunk(room);
    const auto* bytes = reinterpret_cast<const unsigned char*>(stream.data());
    std::size_t given = 0;
    for (;;) {
        if (inflater->InputLeft() == 0 && given < stream.size()) {
            const std::size_t take = std::min(feed, stream.size() - given);
            inflater->SetInput(bytes + given, take);
            given += take;
        }
        std::size_t produced = 0;
        outcome.status = inflater->Run(chunk.data(), chunk.size(), produced);
        outcome.out.append(reinterpret_cast<const char*>(chunk.data()), produced);
        if (outcome.status == Inflate::Status::kProgress) {
            continue;
        }
        if (outcome.status == Inflate::Status::kNeedInput && given < stream.size()) {
            continue;
        }
        outcome.inputLeft = inflater->InputLeft() + (stream.size() - given);
        return outcome;
    }
}

TEST(InflateTest, EveryHeaderFieldAndAnyFeedOrRoomGiveTheSameBytes) {
    std::string plain;
    std::mt19937 random(5);
    for (int i = 0; i < 300000; ++i) {
        plain.push_back(
            static_cast<char>(i % 97 < 60 ? static_cast<unsigned>('a' + i % 7) : random() & 0xFFU));
    }
    for (const unsigned flags : {0U, 2U, 4U, 8U, 16U, 30U}) {
        const std::string member = GzipMember(plain, flags) + "after";
        for (const Inflate::Kind kind : Kinds()) {
            for (const auto& [feed, room] : std::vector<std::pair<std::size_t, std::size_t>>{
                     {1, 65536}, {7, 3}, {member.size(), 1 << 20}}) {
                const Outcome outcome = InflateOne(kind, member, feed, room);
                EXPECT_EQ(outcome.status, Inflate::Status::kMemberEnd)
                    << flags << " " << static_cast<int>(kind);
                EXPECT_TRUE(outcome.out == plain) << flags << " " << feed << " " << room;
                // What follows the member is left untaken for the next one.
                EXPECT_EQ(outcome.inputLeft, 5U) << flags << " " << feed;
            }
        }
    }
}

TEST(InflateTest, ResetReadsTheNextMemberFromTheBytesLeft) {
    const std::string stream = GzipMember("first ") + GzipMember("second", 8);
    for (const Inflate::Kind kind : Kinds()) {
        const auto inflater = Inflate::Create(kind);
        ASSERT_NE(inflater, nullptr);
        inflater->SetInput(reinterpret_cast<const unsigned char*>(stream.data()), stream.size());
        std::string out;
        unsigned char chunk[64];
        for (int member = 0; member < 2; ++member) {
            std::size_t produced = 0;
            ASSERT_EQ(inflater->Run(chunk, sizeof chunk, produced), Inflate::Status::kMemberEnd);
            out.append(reinterpret_cast<const char*>(chunk), produced);
            inflater->Reset();
        }
        EXPECT_EQ(out, "first second");
        EXPECT_EQ(inflater->InputLeft(), 0U);
    }
}

TEST(InflateTest, DamagedHeadersAndTrailersAreErrors) {
    const std::string good = GzipMember("some log bytes, some log bytes", 2 | 8);
    std::vector<std::pair<std::string, std::string>> cases;
    std::string headerCheck = good;
    headerCheck[10 + 9] ^= 0x01;  // inside the name: the header's check value no longer fits
    cases.emplace_back("header check value", headerCheck);
    std::string method = good;
    method[2] = 9;
    cases.emplace_back("unknown method", method);
    std::string check = good;
    check[check.size() - 8] ^= 0x10;
    cases.emplace_back("check value", check);
    std::string length = good;
    length[length.size() - 1] ^= 0x01;
    cases.emplace_back("length", length);
    cases.emplace_back("not gzip", "QX7LG1XX plain bytes");
    for (const Inflate::Kind kind : Kinds()) {
        for (const auto& [what, stream] : cases) {
            EXPECT_EQ(InflateOne(kind, stream, stream.size(), 4096).status, Inflate::Status::kError)
                << what << " " << static_cast<int>(kind);
        }
        // Cut short anywhere, a member only ever wants more input.
        for (std::size_t cut = 0; cut < good.size(); ++cut) {
            EXPECT_EQ(InflateOne(kind, good.substr(0, cut), 3, 4096).status,
                      Inflate::Status::kNeedInput)
                << cut;
        }
    }
}

TEST(InflateTest, BothInflatersAgreeOnDamagedStreams) {
    if (!Inflate::HasIsal()) {
        GTEST_SKIP() << "built without ISA-L";
    }
    std::string plain;
    for (int i = 0; i < 20000; ++i) {
        plain += "entry " + std::to_string(i * 7919 % 1000) + (i % 3 == 0 ? "\n" : " ");
    }
    const std::string stored = GzipMember(plain.substr(0, 3000), 0, 0);
    const std::string fixed = GzipMember(plain.substr(0, 200), 0, 1);
    const std::string dynamic = GzipMember(plain, 8, 9);
    std::mt19937 random(11);
    int agreedErrors = 0;
    for (const std::string* source : {&stored, &fixed, &dynamic}) {
        for (int round = 0; round < 400; ++round) {
            std::string damaged = *source;
            const int flips = 1 + static_cast<int>(random() % 3);
            for (int i = 0; i < flips; ++i) {
                damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
            }
            const Outcome zlib = InflateOne(Inflate::Kind::kZlib, damaged, 4096, 8192);
            const Outcome isal = InflateOne(Inflate::Kind::kIsal, damaged, 4096, 8192);
            // Both refuse, or both deliver the same member.
            const bool refused = zlib.status != Inflate::Status::kMemberEnd;
            EXPECT_EQ(refused, isal.status != Inflate::Status::kMemberEnd) << round;
            if (!refused) {
                EXPECT_TRUE(zlib == isal) << round;
            }
            agreedErrors += refused ? 1 : 0;
        }
    }
    EXPECT_GT(agreedErrors, 600);  // the damage really was damage
}

}  // namespace
}  // namespace qx7
