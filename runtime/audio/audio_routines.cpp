// The routines of this area of the runtime, by selector.
#include "audio/audio_extraction.h"
#include "core/routine_table.h"

namespace qtrt {

namespace {

template <typename F>
const void* entry(F* f) {
    return reinterpret_cast<const void*>(f);
}

const routine k_rows[] = {
    {0x204B4, entry(&MovieAudioExtractionBegin)},
    {0x204B5, entry(&MovieAudioExtractionEnd)},
    {0x204B6, entry(&MovieAudioExtractionFillBuffer)},
    {0x204B8, entry(&MovieAudioExtractionGetProperty)},
    {0x204B9, entry(&MovieAudioExtractionSetProperty)},
};

}  // namespace

extern const routine_table k_audio_routines;
const routine_table k_audio_routines = make_table(k_rows);

}  // namespace qtrt
