#include "call_trace.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <thread>

#include "lib/kolmbase/strings.h"
#include "quicktime/qt_loader.h"

namespace call_trace {

namespace {

struct operation {
    const char* name;
    bool record;
};

// Argument forms, one letter a stack word (or a parameter word of a
// component record): a an address; i a 32-bit value; h a 16-bit value; x a
// 32-bit value in hex; c a four-character code; s a text, quoted. Forwarded operations pass
// the address of each parameter: R the result slot; P the address of an
// address; I, H, X, L the 32-bit, 16-bit, hex or 64-bit value behind it.
const std::map<std::string, const char*> kForms = {
    {"CallComponent", "aa"},
    {"MediaHasCharacteristic", "ca"},
    {"MediaGetPublicInfo", "caa"},
    {"TCGetCurrentTimeCode", "aaaa"},
    {"CFRelease", "a"},
    {"CFStringCreateWithCString", "aax"},
    {"__CFStringMakeConstantString", "s"},
    {"CFStringHasPrefix", "aa"},
    {"CFStringCreateMutable", "ai"},
    {"CFStringAppend", "aa"},
    {"CFStringGetLength", "a"},
    {"CFStringFindAndReplace", "RPPPIX"},
    {"CFURLCreateStringByReplacingPercentEscapes", "aaa"},
    {"CFURLCreateStringByAddingPercentEscapes", "aaaax"},
    {"CFURLCreateWithString", "aaa"},
    {"CFURLCreateWithFileSystemPath", "aaii"},
    {"QTGetCFConstant", "s"},
    // The length of the movie's URL, and so of the data reference that holds
    // it, varies with the test file's path.
    {"CFStringCreateWithBytes", "aaaxi"},
    {"CFStringGetPascalString", "aaix"},
    {"NewPtrClear", "i"},
    {"GetPtrSize", "a"},
    {"DisposePtr", "a"},
    {"PtrToHand", "aai"},
    {"PtrAndHand", "aaa"},
    {"HandToHand", "a"},
    {"MemError", ""},
    {"SetComponentInstanceStorage", "aa"},
    {"DataHGetFileSize64", "a"},
    {"DataHScheduleData64", "aaiiaa"},
    {"NewMovieFromDataFork64", "aaaha"},
    {"SetMediaDataRef", "ahac"},
    {"RegisterComponent", "aaia"},
    {"GetMoviesError", ""},
    {"MoviesTask", "ai"},
    {"SetMovieActive", "ai"},
    {"GetMovieTimeBase", "a"},
    {"DisposeMovie", "a"},
    {"GetMovieTimeScale", "a"},
    {"GetMovieDuration", "a"},
    {"SetMovieTimeValue", "ai"},
    {"GetMovieTrackCount", "a"},
    {"GetMovieTrackByIndex", "ai"},
    {"GetTrackDuration", "a"},
    {"GetTrackDimensions", "aaa"},
    {"GetTrackMedia", "a"},
    {"GetMediaTimeScale", "a"},
    {"GetMediaHandlerDescription", "aaaa"},
    {"GetMediaHandler", "a"},
    {"GetMediaSampleDescriptionCount", "a"},
    {"GetMediaSampleDescription", "aia"},
    {"GetMediaSampleCount", "a"},
    {"GetTrackNextInterestingTime", "ahixaa"},
    {"GetMovieNextInterestingTime", "ahhaixaa"},
    {"GetMovieIndTrack", "ai"},
    {"GetMovieIndTrackType", "aici"},
    {"GetMediaDataRef", "ahaaa"},
    {"GetMediaDataRefCount", "aa"},
    {"SetMoviePlayHints", "axx"},
    {"NewMovieFromProperties", "iaiaa"},
    {"MovieAudioExtractionBegin", "aia"},
    {"MovieAudioExtractionEnd", "a"},
    {"MovieAudioExtractionFillBuffer", "aaaa"},
    {"MovieAudioExtractionGetProperty", "accia"},
    {"MovieAudioExtractionSetProperty", "accia"},
    {"GetImageDescriptionExtension", "aaci"},
    {"Gestalt", "ca"},
    {"NewHandle", "i"},
    {"NewHandleClear", "i"},
    {"HLock", "a"},
    {"HUnlock", "a"},
    {"DisposeHandle", "a"},
    {"GetHandleSize", "a"},
    {"GetUserDataText", "aacih"},
    {"DisposeUserData", "a"},
    {"GetMediaDecodeDuration", "RP"},
    {"GetMediaSample2", "RPPIPLPPPPPIPP"},
    {"TrackTimeToMediaDisplayTime", "RLP"},
    {"GetMediaNextInterestingDecodeTime", "PHLXPP"},
    {"Fix2X", "RI"},
};

std::map<uint32_t, operation> g_operations;
std::map<int16_t, const char*> g_records;
std::vector<std::string> g_lines;
std::thread::id g_thread;
bool g_recording = false;
qtb_entry g_runtime_dispatcher = nullptr;

void add(uint32_t selector, const char* name, bool forwarded, bool record, int16_t what) {
    if (record) {
        g_records[what] = name;
    } else if (!g_operations.count(selector) || forwarded) {
        g_operations[selector] = operation{name, selector == 0x10000};
    }
}

void fill_tables() {
    if (!g_operations.empty()) return;
#define CALL_TRACE_ROW(selector, name, form, result, gate, what, bytes)                     \
    add(selector, #name, std::strcmp(#form, "forwarded") == 0, std::strcmp(#form, "record") == 0, \
        int16_t(what));
#include "quicktime/qt_operations.def"
    QT_OPERATIONS(CALL_TRACE_ROW)
#undef CALL_TRACE_ROW
}

std::string four_characters(uint32_t code) {
    return "'" + kolmbase::string_with_fourcc(code) + "'";
}

std::string address(uint32_t word) { return word ? "_" : "0"; }

// The argument of form f in word w (for the capital forms, the address of
// the parameter).
std::string argument(char f, uint32_t w) {
    const void* at = reinterpret_cast<const void*>(uintptr_t(w));
    switch (f) {
    case 'a': return address(w);
    case 'i': return std::to_string(int32_t(w));
    case 'h': return std::to_string(int16_t(w));
    case 'x': return kolmbase::string_with_format("0x%x", w);
    case 'c': return four_characters(w);
    case 's': return at ? "\"" + std::string(static_cast<const char*>(at)) + "\"" : "0";
    case 'P': return at ? address(*static_cast<const uint32_t*>(at)) : "0";
    case 'I': return at ? std::to_string(*static_cast<const int32_t*>(at)) : "0";
    case 'H': return at ? std::to_string(*static_cast<const int16_t*>(at)) : "0";
    case 'X': return at ? kolmbase::string_with_format("0x%x", *static_cast<const uint32_t*>(at))
                        : "0";
    case 'L': {
        int64_t v = 0;
        if (at) std::memcpy(&v, at, sizeof v);
        return std::to_string(v);
    }
    default: return "";
    }
}

std::string line(const char* name, const uint32_t* words, size_t count) {
    std::string text = name;
    const auto form = kForms.find(name);
    if (form == kForms.end()) return text + " ?";
    for (size_t i = 0; form->second[i] && i < count; ++i) {
        if (form->second[i] == 'R') continue;
        text += " " + argument(form->second[i], words[i]);
    }
    return text;
}

std::string describe(uint32_t selector, const uint32_t* args) {
    const auto found = g_operations.find(selector);
    if (found == g_operations.end())
        return kolmbase::string_with_format("selector 0x%08x ?", selector);
    if (!found->second.record) return line(found->second.name, args, 16);
    // A component call: the routine's name and parameters come from its
    // parameter record.
    const uint8_t* record = reinterpret_cast<const uint8_t*>(uintptr_t(args[1]));
    int16_t what = 0;
    std::memcpy(&what, record + 2, sizeof what);
    const auto routine = g_records.find(what);
    if (routine == g_records.end())
        return kolmbase::string_with_format("CallComponent what 0x%04x ?",
                                            unsigned(uint16_t(what)));
    return line(routine->second, reinterpret_cast<const uint32_t*>(record + 4), record[1] / 4);
}

}  // namespace

}  // namespace call_trace

extern "C" __attribute__((visibility("hidden"))) qtb_entry call_trace_record(uint32_t selector,
                                                                             const uint32_t* args) {
    using namespace call_trace;
    if (g_recording && std::this_thread::get_id() == g_thread)
        g_lines.push_back(describe(selector, args));
    return g_runtime_dispatcher;
}

extern "C" long call_trace_entry();

namespace call_trace {

void start() {
    fill_tables();
    if (!g_runtime_dispatcher) {
        PrepareQuickTime();
        g_runtime_dispatcher = qtb_dispatcher_entry;
        qtb_dispatcher_entry = &call_trace_entry;
    }
    g_lines.clear();
    g_thread = std::this_thread::get_id();
    g_recording = true;
}

std::vector<std::string> stop() {
    g_recording = false;
    return std::move(g_lines);
}

}  // namespace call_trace
