// Compressed movie atoms: the movie atom deflated with zlib inside 'cmov'.
// The inflated atom goes into a buffer no larger than the size the file
// states, itself bounded, and grown only as the stream really inflates: a
// small file cannot make the runtime allocate what it merely claims.
#include "movie/compressed_movie_atom.h"

#include <algorithm>
#include <new>

#ifdef RUV_HAVE_ZLIB
#include <zlib.h>
#endif

#include "format/atom_walk.h"
#include "format/atom_types.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

using namespace qt_format::atom_types;

using qt_format::atom_reader;
using qt_format::find_child;
using qt_format::atom;
using qt_format::next_atom;

namespace {

constexpr OSType kAtomCmov = qt_fourcc("cmov");
constexpr OSType kAtomDcom = qt_fourcc("dcom");
constexpr OSType kAtomCmvd = qt_fourcc("cmvd");
constexpr OSType kZlib = qt_fourcc("zlib");
// The largest movie atom inflated, as large as a stored one may be.
constexpr uint64_t kMaxInflatedSize = uint64_t(1) << 30;
// Deflate gives at most about 1032 bytes for each byte of its stream: a
// stated size beyond that (and a little for the stream's own header) lies.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateOverhead = 64;
// The inflated atom's first allocation; it doubles up to the stated size.
constexpr size_t kFirstChunk = size_t(64) << 10;

std::string fourcc_text(OSType type) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char(type >> shift);
        text += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return text;
}

#ifdef RUV_HAVE_ZLIB
// Inflates the zlib stream into out, which must come to exactly `stated`
// bytes. False with the reason in why.
bool inflate_exactly(const uint8_t* data, size_t size, size_t stated, std::vector<uint8_t>& out,
                     std::string& why) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        why = "zlib cannot start inflating";
        return false;
    }
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    out.clear();
    size_t produced = 0;
    int result = Z_OK;
    std::string failure;
    while (result == Z_OK) {
        if (produced == out.size()) {
            if (out.size() == stated) {
                // Room for one byte more tells a stream longer than stated.
                uint8_t extra = 0;
                z.next_out = &extra;
                z.avail_out = 1;
                result = inflate(&z, Z_NO_FLUSH);
                if (z.avail_out == 0)
                    failure =
                        "inflates to more than the " + std::to_string(stated) + " bytes stated";
                break;
            }
            try {
                out.resize(std::min(stated, std::max(kFirstChunk, out.size() * 2)));
            } catch (const std::bad_alloc&) {
                inflateEnd(&z);
                why = "no memory for the " + std::to_string(stated) +
                      " bytes of the inflated movie atom";
                return false;
            }
        }
        z.next_out = out.data() + produced;
        z.avail_out = uInt(out.size() - produced);
        result = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
    }
    const std::string message = z.msg ? z.msg : "";
    inflateEnd(&z);
    if (!failure.empty()) {
        why = failure;
        return false;
    }
    if (result == Z_STREAM_END && produced == stated) return true;
    if (result == Z_STREAM_END)
        why = "inflates to " + std::to_string(produced) + " bytes, not the " +
              std::to_string(stated) + " bytes stated";
    else if (result == Z_BUF_ERROR)
        why = "ends before its stream does (" + std::to_string(produced) + " of " +
              std::to_string(stated) + " bytes inflated)";
    else
        why = "does not inflate (zlib: " +
              (message.empty() ? "error " + std::to_string(result) : message) + ", after " +
              std::to_string(produced) + " bytes)";
    return false;
}
#endif

}  // namespace

bool compressed_movie_atoms_readable() {
#ifdef RUV_HAVE_ZLIB
    return true;
#else
    return false;
#endif
}

OSErr expand_compressed_movie_atom(std::vector<uint8_t>& contents, std::string& why) {
    atom_reader cmov;
    if (!find_child(atom_reader(contents.data(), contents.size()), kAtomCmov, cmov)) return noErr;
    const std::string prefix = "its compressed movie atom ('cmov') ";
    atom_reader dcom, cmvd;
    uint32_t algorithm = 0, stated = 0;
    if (!find_child(cmov, kAtomDcom, dcom) || !dcom.read_u32(algorithm)) {
        why = prefix + "has no 'dcom' naming how it is compressed";
        return invalidMovie;
    }
    if (algorithm != kZlib) {
        why = prefix + "is compressed with '" + fourcc_text(algorithm) + "'; only zlib is inflated";
        return invalidMovie;
    }
    if (!find_child(cmov, kAtomCmvd, cmvd) || !cmvd.read_u32(stated)) {
        why = prefix + "has no 'cmvd' holding the movie atom's size and bytes";
        return invalidMovie;
    }
    const size_t deflated = cmvd.remaining();
    if (stated < 8 || stated > kMaxInflatedSize ||
        stated > deflated * kMaxDeflateRatio + kDeflateOverhead) {
        why = prefix + "states " + std::to_string(stated) + " bytes inflated from " +
              std::to_string(deflated) + ", which zlib cannot give";
        return invalidMovie;
    }
#ifdef RUV_HAVE_ZLIB
    std::vector<uint8_t> inflated;
    std::string reason;
    if (!inflate_exactly(cmvd.current(), deflated, stated, inflated, reason)) {
        why = prefix + reason;
        return invalidMovie;
    }
    atom_reader whole(inflated.data(), inflated.size());
    atom movie;
    bool malformed = false;
    if (!next_atom(whole, movie, malformed) || malformed || movie.type != MovieAID) {
        why = prefix + "does not inflate to a movie atom";
        return invalidMovie;
    }
    atom_reader nested;
    if (find_child(movie.body, kAtomCmov, nested)) {
        why = prefix + "holds another compressed movie atom";
        return invalidMovie;
    }
    const uint8_t* body = movie.body.current();
    contents.assign(body, body + movie.body.remaining());
    return noErr;
#else
    why = prefix + "is not read: this runtime is built without zlib";
    return invalidMovie;
#endif
}

}  // namespace qtrt
