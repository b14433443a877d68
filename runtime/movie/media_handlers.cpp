#include "movie/media_handlers.h"

#include <cstring>
#include <mutex>

#include "components/component_manager.h"
#include "memory/memory_manager.h"
#include "format/atom_types.h"
#include "movie/movie_objects.h"
#include "movie/time_code.h"
#include "quicktime/movie_constants.h"

namespace qtrt {

using namespace qt_format::atom_types;
namespace {

constexpr OSType kMediaSubtitle = qt_fourcc("sbtl");

struct characteristic_row {
    OSType media_type;
    OSType characteristic;
};

constexpr characteristic_row kCharacteristics[] = {
    {VideoMediaType, VisualMediaCharacteristic},
    {VideoMediaType, kCharacteristicHasVideoFrameRate},
    {SoundMediaType, AudioMediaCharacteristic},
    {TextMediaType, VisualMediaCharacteristic},
    {kMediaSubtitle, VisualMediaCharacteristic},
    {MPEGMediaType, VisualMediaCharacteristic},
    {MPEGMediaType, AudioMediaCharacteristic},
    {MPEGMediaType, kCharacteristicHasVideoFrameRate},
    {MPEGMediaType, kCharacteristicIsAnMpegTrack},
};

constexpr OSType kHandledTypes[] = {VideoMediaType, SoundMediaType, TimeCodeMediaType,
                                    TextMediaType, kMediaSubtitle};

media_object* media_of(Handle storage) {
    media_object* media = reinterpret_cast<media_object*>(storage);
    return media_from(media_reference_of(media));
}

// MediaHasCharacteristic(mh, characteristic, Boolean* hasIt).
ComponentResult has_characteristic(Handle storage, const ComponentParameters* params) {
    media_object* media = media_of(storage);
    Boolean* has_it = reinterpret_cast<Boolean*>(component_param(params, 1));
    if (!media || !has_it) return paramErr;
    *has_it = media_type_has_characteristic(media->model->handler_type,
                                            OSType(component_param(params, 0)))
                  ? 1
                  : 0;
    return noErr;
}

// MediaGetPublicInfo(mh, infoSelector, infoDataPtr, Size* ioDataSize). The
// original rate is an MPEG media's; the handlers here have no public info.
ComponentResult get_public_info(Handle storage, const ComponentParameters* params) {
    media_object* media = media_of(storage);
    if (!media || OSType(component_param(params, 0)) != kMPEGMediaPublicInfoOriginalRate)
        return paramErr;
    return paramErr;
}

// TCGetCurrentTimeCode(mh, long* frameNum, TimeCodeDef*, TimeCodeRecord*,
// UserData* srcRefH): every output is optional.
ComponentResult get_current_time_code(Handle storage, const ComponentParameters* params) {
    media_object* media = media_of(storage);
    if (!media || media->model->handler_type != TimeCodeMediaType) return badComponentSelector;
    int32_t frame = 0;
    time_code_description description;
    OSErr err = current_time_code(*media, frame, description);
    if (err != noErr) return err;
    auto* frame_out = reinterpret_cast<int32_t*>(component_param(params, 0));
    auto* def_out = reinterpret_cast<TimeCodeDef*>(component_param(params, 1));
    auto* record_out = reinterpret_cast<TimeCodeRecord*>(component_param(params, 2));
    auto* source_out = reinterpret_cast<UserData*>(component_param(params, 3));
    if (frame_out) *frame_out = frame;
    if (def_out) *def_out = description.definition;
    if (record_out) frame_to_time_code(frame, description.definition, *record_out);
    if (source_out) *source_out = new_user_data(std::move(description.source));
    return noErr;
}

constexpr component_routine kMediaHandlerRoutines[] = {
    {kMediaHasCharacteristicSelect, &has_characteristic},
    {kMediaGetPublicInfoSelect, &get_public_info},
};

constexpr component_routine kTimeCodeHandlerRoutines[] = {
    {kMediaHasCharacteristicSelect, &has_characteristic},
    {kMediaGetPublicInfoSelect, &get_public_info},
    {kTCGetCurrentTimeCodeSelect, &get_current_time_code},
};

ComponentResult media_handler_entry(ComponentParameters* params, Handle storage) {
    return dispatch_component_call(params, storage, kMediaHandlerRoutines,
                                   sizeof kMediaHandlerRoutines / sizeof kMediaHandlerRoutines[0]);
}

ComponentResult time_code_handler_entry(ComponentParameters* params, Handle storage) {
    return dispatch_component_call(params, storage, kTimeCodeHandlerRoutines,
                                   sizeof kTimeCodeHandlerRoutines / sizeof kTimeCodeHandlerRoutines[0]);
}

void register_media_handlers() {
    for (OSType type : kHandledTypes) {
        ComponentDescription cd{MediaHandlerType, type, kAppleManufacturer, 0, 0};
        RegisterComponent(
            &cd, type == TimeCodeMediaType ? &time_code_handler_entry : &media_handler_entry, 0,
            nullptr, nullptr, nullptr);
    }
}

}  // namespace

bool media_type_has_characteristic(OSType media_type, OSType characteristic) {
    for (const characteristic_row& row : kCharacteristics)
        if (row.media_type == media_type && row.characteristic == characteristic) return true;
    return false;
}

MediaHandler open_media_handler(media_object& media, OSErr& error) {
    static std::once_flag registered;
    std::call_once(registered, &register_media_handlers);
    ComponentDescription looking_for{MediaHandlerType, media.model->handler_type,
                                     kAppleManufacturer, 0, 0};
    Component c = media.model->handler_type != 0 ? find_component(looking_for) : nullptr;
    ComponentInstance ci = c ? open_component(c) : nullptr;
    if (!ci) {
        error = cantFindHandler;
        return nullptr;
    }
    SetComponentInstanceStorage(ci, reinterpret_cast<Handle>(&media));
    error = noErr;
    return ci;
}

}  // namespace qtrt
