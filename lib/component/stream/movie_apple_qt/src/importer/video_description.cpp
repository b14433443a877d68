#include "importer/video_description.h"

#include <cstring>

#include "importer/qt_constants.h"
#include "quicktime/movies.h"

namespace ns_movie_apple_qt {

bool describe_video(const std::vector<uint8_t>& copy,
                    const std::vector<image_extension>& extensions, video_description& out) {
    ImageDescription fields;
    if (copy.size() < sizeof fields) return false;
    std::memcpy(&fields, copy.data(), sizeof fields);
    out.width = fields.width;
    out.height = fields.height;
    out.depth = fields.depth;
    out.format = fields.cType;
    for (const image_extension& extension : extensions) {
        const uint8_t* data = extension.bytes.data();
        const size_t size = extension.bytes.size();
        switch (extension.type) {
        case qtcode::kExtensionPixelAspect:
            out.has_aspect = read_pixel_aspect(data, size, out.aspect);
            break;
        case qtcode::kExtensionCleanAperture:
            read_clean_aperture(data, size, out.aperture);
            break;
        case qtcode::kExtensionFields:
            read_field_mode(data, size, out.field_mode);
            break;
        case qtcode::kExtensionElementaryStream:
            out.has_decoder_config = true;
            out.decoder_config = extension.bytes;
            break;
        }
    }
    return true;
}

}  // namespace ns_movie_apple_qt
