#pragma once
// A streaming gzip inflater: one interface over ISA-L (where the build found it) and zlib.
// Both verify each member's check value and length and give the same results on the same bytes.
//
// Usage: SetInput with the bytes at hand, then Run with room for output until it answers
// kNeedInput (give more input, or none is left: the stream was cut short), kMemberEnd (one gzip
// member is complete; Reset before the next member) or kError (damaged).

#include <cstddef>
#include <memory>
#include <string_view>

namespace qx7 {

class Inflate {
  public:
    enum class Status {
        kProgress,   // room for output ran out; call again
        kNeedInput,  // every input byte is taken and the member goes on
        kMemberEnd,  // a whole member ends here, trailer verified
        kError,      // the member is damaged: not gzip, bad block, wrong check value or length
    };
    enum class Kind { kIsal, kZlib };

    // The fastest inflater built in, unless the environment's QX7_INFLATER says "zlib" (so that
    // the tests and the fuzz targets can run both). nullptr when it cannot be set up.
    static std::unique_ptr<Inflate> Create();
    static std::unique_ptr<Inflate> Create(Kind kind);
    // Whether the build has the ISA-L inflater.
    static bool HasIsal();
    // "isa-l" or "zlib": what Create() gives now.
    static std::string_view DefaultName();

    virtual ~Inflate() = default;
    Inflate(const Inflate&) = delete;
    Inflate& operator=(const Inflate&) = delete;

    virtual std::string_view Name() const = 0;
    // Bytes to inflate; the inflater keeps a pointer to them until they are all taken.
    virtual void SetInput(const unsigned char* bytes, std::size_t size) = 0;
    // Input bytes not taken yet (they begin at the last SetInput's end minus this many).
    virtual std::size_t InputLeft() const = 0;
    // Inflates into `out`; `produced` receives the bytes written there.
    virtual Status Run(unsigned char* out, std::size_t room, std::size_t& produced) = 0;
    // Ready for the next member; the input not taken yet is kept.
    virtual void Reset() = 0;

  protected:
    Inflate() = default;
};

}  // namespace qx7
