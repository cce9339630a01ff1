// Fuzz target: loading the settings file from arbitrary contents, against a
// model of which fields a file sets, whether the end-of-file error comes and
// where the file position is left. Each input is also tried behind a file
// that hands out small pieces, and with filler after it so the file passes
// the archive's 4096-byte buffer.
#include "FuzzCheck.h"
#include "MemoryStream.h"

#include "platform/Archive.h"
#include "platform/Exceptions.h"
#include "settings/SettingsCodec.h"

#include <algorithm>

namespace fuzz {

const char kTargetName[] = "settings load";

namespace {

using Bytes = std::vector<std::uint8_t>;

// The four members as the file orders them, with the value each keeps when
// its field is not wholly present.
struct Fields {
    std::uint32_t useEotbir = 1, preWarp = 0, cycleTime = 60, orderByName = 0;

    bool operator==(const Fields& o) const {
        return useEotbir == o.useEotbir && preWarp == o.preWarp && cycleTime == o.cycleTime &&
               orderByName == o.orderByName;
    }
    std::string Text() const {
        return std::to_string(static_cast<std::int32_t>(useEotbir)) + "," +
               std::to_string(static_cast<std::int32_t>(preWarp)) + "," + std::to_string(cycleTime) + "," +
               std::to_string(static_cast<std::int32_t>(orderByName));
    }
};

struct Outcome {
    Fields fields;
    bool endOfFile = false;
    std::size_t position = 0;
    std::string trouble; // anything that should not happen at all
};

// The model: the file's first 16 bytes hold four little-endian words; each
// word wholly present is taken, the rest keep their defaults; end of file
// when a word is missing; the file is left after the last word taken.
Outcome Model(const Bytes& file) {
    Outcome out;
    std::uint32_t* const order[] = {&out.fields.useEotbir, &out.fields.preWarp, &out.fields.cycleTime,
                                    &out.fields.orderByName};
    std::size_t taken = 0;
    for (std::uint32_t* member : order) {
        if (file.size() < taken + 4)
            break;
        std::uint32_t word = 0;
        for (int byte = 3; byte >= 0; --byte)
            word = word * 256 + file[taken + byte];
        *member = word;
        taken += 4;
    }
    out.endOfFile = taken < 16;
    out.position = taken;
    return out;
}

Outcome Run(const Bytes& file, std::uint32_t piece) {
    Outcome out;
    MemoryStream stream(file, piece);
    LauncherSettings s;
    s.SetDefaults();
    try {
        CArchive ar(stream, CArchive::load);
        LoadSettingsFields(ar, s);
        ar.Close();
    } catch (const CArchiveException& e) {
        out.endOfFile = true;
        if (e.m_cause != CArchiveException::endOfFile)
            out.trouble = "archive error with cause " + std::to_string(e.m_cause);
        else if (e.GetErrorMessage() != "An attempt was made to access an unnamed file past its end.")
            out.trouble = "end-of-file text \"" + e.GetErrorMessage() + "\"";
    } catch (const CException& e) {
        out.trouble = "unexpected error \"" + e.GetErrorMessage() + "\"";
    }
    out.fields.useEotbir = static_cast<std::uint32_t>(s.m_bUseEotbir);
    out.fields.preWarp = static_cast<std::uint32_t>(s.m_bPreWarp);
    out.fields.cycleTime = s.m_nCycleTime;
    out.fields.orderByName = static_cast<std::uint32_t>(s.m_bOrderByName);
    out.position = stream.Position();
    if (!stream.Writes().empty())
        out.trouble += " loading wrote to the file";
    if (stream.ReadRequests().empty() || stream.ReadRequests().front() != CArchive::kDefaultBufferSize)
        out.trouble += " the first read did not ask for the whole buffer";
    return out;
}

std::string Describe(const Outcome& o) {
    return "fields " + o.fields.Text() + (o.endOfFile ? ", end of file" : ", no error") + ", position " +
           std::to_string(o.position) + (o.trouble.empty() ? "" : ", " + o.trouble);
}

} // namespace

bool CheckInput(const std::uint8_t* data, std::size_t size, std::string& report) {
    static const Bytes kFiller = [] {
        Bytes filler(4090);
        for (std::size_t i = 0; i < filler.size(); ++i)
            filler[i] = static_cast<std::uint8_t>(i * 131 + 7);
        return filler;
    }();
    Bytes padded(data, data + size);
    padded.insert(padded.end(), kFiller.begin(), kFiller.end());
    const Bytes files[] = {Bytes(data, data + size), padded};
    for (const Bytes& file : files) {
        const Outcome want = Model(file);
        for (std::uint32_t piece : {MemoryStream::kWhole, 1u, 3u}) {
            const Outcome got = Run(file, piece);
            if (got.fields == want.fields && got.endOfFile == want.endOfFile && got.position == want.position &&
                got.trouble.empty())
                continue;
            report = "input " + HexBytes(data, size) + (file.size() == size ? "" : " + 4090 bytes of filler") +
                     (piece == MemoryStream::kWhole ? "" : ", " + std::to_string(piece) + " byte(s) per read") +
                     ": code " + Describe(got) + "; model " + Describe(want);
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> MakeInput(std::mt19937_64& random) {
    auto below = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::size_t length = 0;
    switch (below(5)) {
    case 0: length = below(65); break;
    case 1: length = 4080 + below(33); break;  // around the buffer's size
    case 2: length = 8192 + below(9); break;   // two buffers' worth
    default: length = below(21); break;        // around the 16 bytes that count
    }
    Bytes file(length);
    const bool sparse = below(2) == 0; // small values, like real settings
    for (std::uint8_t& b : file)
        b = static_cast<std::uint8_t>(sparse ? (below(4) == 0 ? random() : 0) : random());
    return file;
}

} // namespace fuzz
