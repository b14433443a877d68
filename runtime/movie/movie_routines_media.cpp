// Movie Toolbox routines of media: time scale, durations, handler, sample
// descriptions, data references, the next interesting decode time and the
// samples themselves.
#include <algorithm>
#include <cstring>
#include <limits>

#include "memory/memory_manager.h"
#include "format/atom_types.h"
#include "movie/interesting_time.h"
#include "movie/media_handlers.h"
#include "movie/movie_access.h"
#include "movie/movie_objects.h"
#include "movie/movie_toolbox.h"
#include "movie/sample_description_order.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

using namespace qt_format::atom_types;
namespace {

// The bits of an 'sdtp' byte (bit 7 is reserved) are the dependency flags
// from mediaSampleHasRedundantCoding on, in the same order.
constexpr int kDependencyFlagShift = 24;
constexpr uint8_t kDependencyFlagBits = 0x7F;

media_object* checked_media(Media m) {
    media_object* media = media_from(m);
    set_movies_error(media ? noErr : invalidMedia);
    return media;
}

// Copies the description at index (from 1) into the handle, in the machine's
// byte order.
OSErr copy_description(media_object& media, uint32_t index, Handle into) {
    if (!into) return nilHandleErr;
    const media_model& model = *media.model;
    if (index == 0 || index > model.descriptions.size()) return paramErr;
    std::vector<std::vector<uint8_t>>& native = media.native_descriptions;
    if (native.size() != model.descriptions.size()) native.assign(model.descriptions.size(), {});
    std::vector<uint8_t>& bytes = native[index - 1];
    if (bytes.empty()) {
        bytes = model.descriptions[index - 1].bytes;
        sample_description_to_native(model.handler_type, bytes);
    }
    SetHandleSize(into, Size(bytes.size()));
    if (MemError() != noErr) return MemError();
    std::memcpy(*into, bytes.data(), bytes.size());
    return noErr;
}

}  // namespace

TimeScale GetMediaTimeScale(Media theMedia) {
    media_object* media = checked_media(theMedia);
    return media ? media->model->time_scale : 0;
}

TimeValue GetMediaDuration(Media theMedia) {
    media_object* media = checked_media(theMedia);
    if (!media) return 0;
    return TimeValue(std::min<int64_t>(media->model->duration, std::numeric_limits<int32_t>::max()));
}

// The end of the media's last sample in decode time; the media header's
// duration for a media without samples.
TimeValue64 GetMediaDecodeDuration(Media theMedia) {
    media_object* media = checked_media(theMedia);
    if (!media) return 0;
    const media_model& m = *media->model;
    return m.samples.count() > 0 ? m.samples.decode_end() : m.duration;
}

void GetMediaDecodeDuration_fwd(TimeValue64* result, Media* theMedia) {
    TimeValue64 answer = GetMediaDecodeDuration(theMedia ? *theMedia : nullptr);
    if (result) *result = answer;
}

void GetMediaHandlerDescription(Media theMedia, OSType* mediaType, Str255 creatorName,
                                OSType* creatorManufacturer) {
    media_object* media = checked_media(theMedia);
    if (mediaType) *mediaType = media ? media->model->handler_type : 0;
    if (creatorName) creatorName[0] = 0;
    if (creatorManufacturer) *creatorManufacturer = media ? kAppleManufacturer : 0;
}

MediaHandler GetMediaHandler(Media theMedia) {
    media_object* media = checked_media(theMedia);
    if (!media) return nullptr;
    if (!media->handler) {
        OSErr err = noErr;
        media->handler = open_media_handler(*media, err);
        set_movies_error(err);
    }
    return media->handler;
}

int32_t GetMediaSampleDescriptionCount(Media theMedia) {
    media_object* media = checked_media(theMedia);
    return media ? int32_t(media->model->descriptions.size()) : 0;
}

void GetMediaSampleDescription(Media theMedia, int32_t index, SampleDescriptionHandle descH) {
    media_object* media = checked_media(theMedia);
    if (!media) return;
    set_movies_error(index < 1 ? OSErr(paramErr)
                               : copy_description(*media, uint32_t(index),
                                                  reinterpret_cast<Handle>(descH)));
}

int32_t GetMediaSampleCount(Media theMedia) {
    media_object* media = checked_media(theMedia);
    return media ? int32_t(std::min<uint32_t>(media->model->samples.count(),
                                              std::numeric_limits<int32_t>::max()))
                 : 0;
}

OSErr GetMediaDataRefCount(Media theMedia, int16_t* count) {
    media_object* media = checked_media(theMedia);
    if (!media) return invalidMedia;
    if (count) *count = int16_t(std::min<size_t>(media->model->data_refs.size(), 0x7FFF));
    return noErr;
}

OSErr GetMediaDataRef(Media theMedia, int16_t index, Handle* dataRef, OSType* dataRefType,
                      int32_t* dataRefAttributes) {
    media_object* media = checked_media(theMedia);
    if (!media) return invalidMedia;
    const std::vector<data_reference>& refs = media->model->data_refs;
    if (index < 1 || size_t(index) > refs.size()) {
        set_movies_error(badDataRefIndex);
        return badDataRefIndex;
    }
    const data_reference& ref = refs[size_t(index) - 1];
    if (dataRefType) *dataRefType = ref.type;
    // Media in the movie's own file is a resolved self reference; any other
    // reference counts as resolved once a read has opened a handler for it.
    constexpr int32_t kSelfReference = 1;
    constexpr int32_t kWasNotResolved = 2;
    if (dataRefAttributes)
        *dataRefAttributes = ref.self_reference()                ? kSelfReference
                             : media->data.count(uint32_t(index)) ? 0
                                                                  : kWasNotResolved;
    if (dataRef) {
        *dataRef = nullptr;
        static const uint8_t kNothing = 0;
        OSErr err = PtrToHand(ref.data.empty() ? &kNothing : ref.data.data(), dataRef,
                              int32_t(ref.data.size()));
        if (err != noErr) {
            set_movies_error(err);
            return err;
        }
    }
    return noErr;
}

void GetMediaNextInterestingDecodeTime(Media theMedia, int16_t interestingTimeFlags,
                                       TimeValue64 decodeTime, Fixed rate,
                                       TimeValue64* interestingDecodeTime,
                                       TimeValue64* interestingDecodeDuration) {
    if (interestingDecodeTime) *interestingDecodeTime = -1;
    if (interestingDecodeDuration) *interestingDecodeDuration = 0;
    media_object* media = checked_media(theMedia);
    if (!media) return;
    if (rate == 0) {
        set_movies_error(paramErr);
        return;
    }
    int64_t t = 0, d = 0;
    if (!media_next_interesting(*media->model, interestingTimeFlags, decodeTime, rate > 0, t, d))
        return;
    if (interestingDecodeTime) *interestingDecodeTime = t;
    if (interestingDecodeDuration) *interestingDecodeDuration = d;
}

void GetMediaNextInterestingDecodeTime_fwd(Media* theMedia, int16_t* interestingTimeFlags,
                                           TimeValue64* decodeTime, Fixed* rate,
                                           TimeValue64** interestingDecodeTime,
                                           TimeValue64** interestingDecodeDuration) {
    GetMediaNextInterestingDecodeTime(theMedia ? *theMedia : nullptr,
                                      interestingTimeFlags ? *interestingTimeFlags : 0,
                                      decodeTime ? *decodeTime : 0, rate ? *rate : 0,
                                      interestingDecodeTime ? *interestingDecodeTime : nullptr,
                                      interestingDecodeDuration ? *interestingDecodeDuration : nullptr);
}

OSErr GetMediaSample2(Media theMedia, uint8_t* dataOut, ByteCount maxDataSize, ByteCount* size,
                      TimeValue64 decodeTime, TimeValue64* sampleDecodeTime,
                      TimeValue64* decodeDuration, TimeValue64* displayOffset,
                      SampleDescriptionHandle sampleDescriptionH,
                      ItemCount* sampleDescriptionIndex, ItemCount maxNumberOfSamples,
                      ItemCount* numberOfSamples, MediaSampleFlags* sampleFlags) {
    (void)maxNumberOfSamples;  // one sample is always a valid answer
    media_object* media = checked_media(theMedia);
    if (!media) return invalidMedia;
    const media_model& m = *media->model;
    uint32_t index = 0;
    if (!m.samples.find_by_decode_time(decodeTime, index)) {
        set_movies_error(invalidTime);
        return invalidTime;
    }
    const sample_info s = m.samples.sample(index);
    OSErr err = noErr;
    if (sampleDescriptionH)
        err = copy_description(*media, s.description_index, reinterpret_cast<Handle>(sampleDescriptionH));
    const uint32_t data_ref_index = m.descriptions[s.description_index - 1].data_ref_index;
    // A size is answered only for bytes that are there: a caller sizes its
    // buffer by it.
    if (err == noErr && (dataOut || size))
        err = locate_media_data(theMedia, data_ref_index, s.offset, s.size);
    if (err == noErr && dataOut) {
        if (s.size > maxDataSize)
            err = paramErr;
        else
            err = read_media_data(theMedia, data_ref_index, s.offset, s.size, dataOut);
    }
    if (err != noErr) {
        set_movies_error(err);
        return err;
    }
    if (size) *size = s.size;
    if (sampleDecodeTime) *sampleDecodeTime = s.decode_time;
    if (decodeDuration) *decodeDuration = s.duration;
    if (displayOffset) *displayOffset = s.display_offset;
    if (sampleDescriptionIndex) *sampleDescriptionIndex = s.description_index;
    if (numberOfSamples) *numberOfSamples = 1;
    if (sampleFlags) {
        MediaSampleFlags flags = 0;
        if (!s.sync) flags |= mediaSampleNotSync;
        if (!s.sync && s.partial_sync) flags |= mediaSamplePartialSync;
        flags |= MediaSampleFlags(s.dependency & kDependencyFlagBits) << kDependencyFlagShift;
        *sampleFlags = flags;
    }
    return noErr;
}

void GetMediaSample2_fwd(OSErr* result, Media* theMedia, uint8_t** dataOut, ByteCount* maxDataSize,
                         ByteCount** size, TimeValue64* decodeTime, TimeValue64** sampleDecodeTime,
                         TimeValue64** decodeDuration, TimeValue64** displayOffset,
                         SampleDescriptionHandle* sampleDescriptionH,
                         ItemCount** sampleDescriptionIndex, ItemCount* maxNumberOfSamples,
                         ItemCount** numberOfSamples, MediaSampleFlags** sampleFlags) {
    OSErr answer = GetMediaSample2(
        theMedia ? *theMedia : nullptr, dataOut ? *dataOut : nullptr, maxDataSize ? *maxDataSize : 0,
        size ? *size : nullptr, decodeTime ? *decodeTime : 0,
        sampleDecodeTime ? *sampleDecodeTime : nullptr, decodeDuration ? *decodeDuration : nullptr,
        displayOffset ? *displayOffset : nullptr, sampleDescriptionH ? *sampleDescriptionH : nullptr,
        sampleDescriptionIndex ? *sampleDescriptionIndex : nullptr,
        maxNumberOfSamples ? *maxNumberOfSamples : 0, numberOfSamples ? *numberOfSamples : nullptr,
        sampleFlags ? *sampleFlags : nullptr);
    if (result) *result = answer;
}

}  // namespace qtrt
