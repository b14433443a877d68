#include "importer/display_size.h"

#include "importer/truncate.h"

namespace ns_movie_apple_qt {

display_size compute_display_size(const display_size_input& in) {
    display_size out;
    const bool aspect =
        in.has_pixel_aspect && in.horizontal_spacing != 0 && in.vertical_spacing != 0;
    if (aspect) {
        const double ratio = double(in.horizontal_spacing) / double(in.vertical_spacing);
        if (in.clean_aperture_width > 0.0 && in.clean_aperture_height > 0.0) {
            out.width = truncate_to<int32_t>(ratio * in.clean_aperture_width + 0.5);
            out.height = truncate_to<int32_t>(in.clean_aperture_height + 0.5);
        } else {
            out.width = truncate_to<int32_t>(ratio * double(in.coded_width) + 0.5);
            out.height = in.coded_height;
        }
        return out;
    }
    if (truncate_to<int32_t>(in.track_width + 0.5) == in.coded_width) {
        out.width = in.coded_width;
        out.height = in.coded_height;
    } else {
        out.width = truncate_to<int32_t>(in.track_width);
        out.height = truncate_to<int32_t>(in.track_height);
    }
    return out;
}

}  // namespace ns_movie_apple_qt
