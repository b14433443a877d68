// ruv-import --picture: the SVG read back element by element (lanes, edit
// bars, frame ticks by kind, the sound's envelope and its silences) on
// built movies, against the frames the same run writes as JSON events.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <regex>

#include "ruv_import/cut_movie.h"
#include "ruv_import/tool_run.h"
#include "support/fixture_files.h"
#include "support/movie_builder.h"

namespace {

using value = nlohmann::ordered_json;
using ruv_import_test::lines_of;
using ruv_import_test::output_path;
using ruv_import_test::run_tool;
using ruv_import_test::tool_result;

// One tag of the SVG at svg[at] == '<', read by hand (std::regex recurses
// once per character, and a long path's attribute overflows the stack under
// ASan): an element's name, class and attributes.
struct element {
    std::string name;
    std::string cls;
    std::map<std::string, std::string> attributes;
    bool closing = false, self_closing = false;
    size_t end = 0;  // just past '>'
    double number(const std::string& key) const {
        auto it = attributes.find(key);
        return it == attributes.end() ? NAN : std::stod(it->second);
    }
};

bool is_name_char(char c) { return std::isalnum(uint8_t(c)) || c == '-' || c == '_' || c == ':'; }

bool parse_tag(const std::string& svg, size_t at, element& out) {
    size_t i = at + 1;
    out.closing = i < svg.size() && svg[i] == '/';
    if (out.closing) ++i;
    const size_t name_at = i;
    while (i < svg.size() && is_name_char(svg[i])) ++i;
    if (i == name_at || !std::isalpha(uint8_t(svg[name_at]))) return false;
    out.name = svg.substr(name_at, i - name_at);
    for (;;) {
        const size_t before = i;
        while (i < svg.size() && std::isspace(uint8_t(svg[i]))) ++i;
        if (i >= svg.size()) return false;
        if (svg[i] == '>' || (svg[i] == '/' && i + 1 < svg.size() && svg[i + 1] == '>')) {
            out.self_closing = svg[i] == '/';
            out.end = i + (out.self_closing ? 2 : 1);
            return true;
        }
        if (i == before) return false;  // attributes are separated by white space
        const size_t key_at = i;
        while (i < svg.size() && is_name_char(svg[i])) ++i;
        if (i == key_at || i + 1 >= svg.size() || svg[i] != '=' || svg[i + 1] != '"') return false;
        const size_t value_at = i + 2;
        const size_t quote = svg.find('"', value_at);
        if (quote == std::string::npos) return false;
        const std::string value = svg.substr(value_at, quote - value_at);
        if (value.find('<') != std::string::npos) return false;
        out.attributes[svg.substr(key_at, i - key_at)] = value;
        i = quote + 1;
    }
}

// Reads the text's elements that have attributes into out; answers why the
// text is not well-formed as far as tags go (every element closed in order,
// attribute values quoted, '&' only in references), or "" when it is.
std::string read_svg(const std::string& svg, std::vector<element>& out) {
    std::vector<std::string> open;
    size_t at = svg.find("<svg");
    if (svg.compare(0, 5, "<?xml") != 0 || at == std::string::npos)
        return "no XML declaration or svg element";
    static const char* const references[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
    while (at < svg.size()) {
        const size_t lt = svg.find('<', at);
        const std::string text =
            svg.substr(at, lt == std::string::npos ? std::string::npos : lt - at);
        for (size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1)) {
            bool known = false;
            for (const char* r : references) known = known || text.compare(amp, strlen(r), r) == 0;
            if (!known) return "a bare '&' in '" + text + "'";
        }
        if (lt == std::string::npos) break;
        element t;
        if (!parse_tag(svg, lt, t)) return "a tag that does not parse at " + std::to_string(lt);
        if (t.closing) {
            if (open.empty() || open.back() != t.name)
                return "</" + t.name + "> closes nothing open";
            open.pop_back();
        } else {
            if (!t.self_closing) open.push_back(t.name);
            if (!t.attributes.empty()) {
                t.cls = t.attributes["class"];
                out.push_back(t);
            }
        }
        at = t.end;
        if (open.empty()) break;
    }
    return open.empty() ? "" : "<" + open.back() + "> is not closed";
}

std::vector<element> with_class(const std::vector<element>& all, const std::string& cls) {
    std::vector<element> out;
    for (const element& e : all)
        if (e.cls == cls) out.push_back(e);
    return out;
}

std::string text_of(const std::string& path) {
    const test_movie::bytes bytes = test_movie::read_bytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Gives the sound's 16-bit samples a 220 Hz tone that swells and is never
// silent.
void add_tone(test_movie::track_plan& sound, double rate, int channels, bool big_endian) {
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        const double t = double(i) / rate;
        const double level = (0.3 + 0.6 * std::fabs(std::sin(t * 4))) * std::sin(t * 220 * 6.2832);
        const uint16_t v = uint16_t(int16_t(std::lround(level * 32767)));
        const uint8_t high = uint8_t(v >> 8), low = uint8_t(v);
        sound.samples[i].data.clear();
        for (int c = 0; c < channels; ++c) {
            sound.samples[i].data.push_back(big_endian ? high : low);
            sound.samples[i].data.push_back(big_endian ? low : high);
        }
    }
}

// A B-frame movie trimmed into a GOP: 30 samples of 24 units (25 per
// second), a key frame every 12, each reference frame shown after the two
// B-frames decoded after it. Its edits: 0.2 s empty, then 20 frames from
// media time 168 (the seventh frame shown). Its sound (0.3 s empty, then
// 0.7 s) is a tone.
test_movie::movie_plan trimmed_bframes() {
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
    video.add_samples(30, 800, 24, false);
    for (size_t i = 0; i < video.samples.size(); ++i) {
        video.samples[i].sync = i % 12 == 0;
        video.samples[i].composition_offset = i % 3 == 0 ? 72 : 0;
    }
    video.add_edit(120, -1).add_edit(480, 168);
    test_movie::track_plan& sound = movie.add_sound(test_movie::kTwos, 2, 16, 48000);
    sound.add_samples(57600, 4, 1).samples_per_chunk = 4800;
    add_tone(sound, 48000, 2, true);
    sound.add_edit(180, -1).add_edit(420, 0);
    return movie;
}

// Three edits that each show ten frames (30 per second, a key frame every
// ten): media 0, 1.0 and 0.5 s; the last starts five frames after a key
// frame, which with the four after it is only decoded.
test_movie::movie_plan three_edits() {
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
    video.add_samples(60, 500, 20, false);
    for (size_t i = 0; i < video.samples.size(); i += 10) video.samples[i].sync = true;
    video.add_edit(200, 0).add_edit(200, 600).add_edit(200, 300);
    test_movie::track_plan& sound = movie.add_sound(test_movie::kSowt, 1, 16, 8000);
    sound.add_samples(8000, 2, 1).samples_per_chunk = 800;
    add_tone(sound, 8000, 1, false);
    return movie;
}

struct picture_run {
    tool_result run;
    std::string svg;
    std::vector<element> all;
    std::string not_well_formed;  // why, or ""
};

// ruv-import --picture on the movie's bytes, with the options before.
picture_run import_with_picture(const test_movie::bytes& bytes, const std::string& name,
                                const char* option = "--json") {
    const std::string movie = output_path(name + ".mov");
    const std::string picture = output_path(name + ".svg");
    EXPECT_TRUE(test_movie::write_bytes(bytes, movie));
    picture_run r;
    r.run = run_tool({option, "--picture", picture, movie});
    r.svg = text_of(picture);
    r.not_well_formed = read_svg(r.svg, r.all);
    std::remove(movie.c_str());
    std::remove(picture.c_str());
    return r;
}
picture_run import_with_picture(const test_movie::movie_plan& plan, const std::string& name) {
    return import_with_picture(test_movie::build_movie(plan).contiguous(), name);
}

std::vector<value> frames_of(const tool_result& run, unsigned queue) {
    std::vector<value> frames;
    for (const value& e : run.events)
        if (e["event"] == "frame" && e["queue"] == queue) frames.push_back(e);
    return frames;
}

TEST(Picture, TrimmedBFramesShowEditsTicksByKindAndTheSoundsSilence) {
    picture_run r = import_with_picture(trimmed_bframes(), "trimmed");
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    ASSERT_EQ(r.not_well_formed, "");

    const std::vector<element> lanes = with_class(r.all, "lane");
    ASSERT_EQ(lanes.size(), 2u);
    EXPECT_EQ(lanes[0].attributes.at("data-handler"), "vide");
    EXPECT_EQ(lanes[1].attributes.at("data-handler"), "soun");

    const std::vector<element> empty = with_class(r.all, "empty-edit video");
    const std::vector<element> shown = with_class(r.all, "edit video");
    ASSERT_EQ(empty.size(), 1u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NEAR(empty[0].number("data-end"), 0.2, 1e-9);
    EXPECT_NEAR(shown[0].number("data-start"), 0.2, 1e-9);
    EXPECT_NEAR(shown[0].number("data-end"), 1.0, 1e-9);
    EXPECT_NEAR(shown[0].number("data-media-time"), 0.28, 1e-9);
    EXPECT_EQ(shown[0].number("data-rate"), 1.0);

    // Every delivered frame is a tick at its time less the shift that puts
    // the sound's first frame at movie time 0.
    const std::vector<value> video = frames_of(r.run, 0), sound = frames_of(r.run, 1);
    ASSERT_FALSE(video.empty());
    ASSERT_FALSE(sound.empty());
    const double shift = sound.front()["time"].get<double>();
    std::vector<element> ticks;
    for (const element& e : r.all)
        if (e.cls.rfind("frame ", 0) == 0 && e.cls.find("swatch") == std::string::npos)
            ticks.push_back(e);
    ASSERT_EQ(ticks.size(), video.size());
    size_t decode_only = 0;
    for (size_t i = 0; i < ticks.size(); ++i) {
        const double t = ticks[i].number("data-time");
        EXPECT_NEAR(t, video[i]["time"].get<double>() - shift, 1e-4) << i;
        const bool inside = t + 0.04 > 0.2 + 1e-6 && t < 1.0 - 1e-6;
        if (ticks[i].cls == "frame decode-only") {
            ++decode_only;
            EXPECT_FALSE(inside) << "frame " << i << " at " << t;
        } else {
            EXPECT_TRUE(inside) << "frame " << i << " at " << t;
            EXPECT_EQ(ticks[i].cls == "frame key", video[i]["type"] == "___i") << i;
        }
    }
    EXPECT_EQ(ticks.size() - decode_only, 20u);
    // The six frames shown before the trimmed edit's start, and the
    // reference after its end that its last B-frames need.
    EXPECT_EQ(decode_only, 7u);
    EXPECT_EQ(with_class(r.all, "decode-order").size(), 1u);

    // The sound's empty edit is shaded; the envelope is flat there and not
    // elsewhere.
    const std::vector<element> silence = with_class(r.all, "silence");
    ASSERT_EQ(silence.size(), 1u);
    EXPECT_NEAR(silence[0].number("data-start"), 0.0, 1e-9);
    EXPECT_NEAR(silence[0].number("data-end"), 0.3, 1e-9);
    const std::vector<element> envelope = with_class(r.all, "envelope");
    ASSERT_EQ(envelope.size(), 1u);
    const double x0 = silence[0].number("x"), x1 = x0 + silence[0].number("width");
    const std::string d = envelope[0].attributes.at("d");
    static const std::regex column(R"(M([\d.]+) ([\d.]+)V([\d.]+))");
    size_t silent = 0, loud = 0;
    for (auto it = std::sregex_iterator(d.begin(), d.end(), column); it != std::sregex_iterator();
         ++it) {
        const double x = std::stod((*it)[1]), span = std::stod((*it)[3]) - std::stod((*it)[2]);
        if (x > x0 + 1 && x < x1 - 1) {
            ++silent;
            EXPECT_LE(span, 1.5) << "column at " << x;
        } else if (x > x1 + 1 && span > 10) {
            ++loud;
        }
    }
    EXPECT_GT(silent, 100u);
    EXPECT_GT(loud, 100u);
}

TEST(Picture, ThreeEditsShowTheirMediaAndTheLastOnesHead) {
    picture_run r = import_with_picture(three_edits(), "three");
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    ASSERT_EQ(r.not_well_formed, "");
    const std::vector<element> edits = with_class(r.all, "edit video");
    ASSERT_EQ(edits.size(), 3u);
    const double media[] = {0.0, 1.0, 0.5};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(edits[i].number("data-start"), double(i) / 3, 1e-8);
        EXPECT_NEAR(edits[i].number("data-media-time"), media[i], 1e-9);
    }
    // Each edit's run starts at a key frame; the third one's (frame 20) is
    // shown before the edit starts, with the four after it.
    EXPECT_EQ(with_class(r.all, "frame key").size(), 3u);
    EXPECT_EQ(with_class(r.all, "frame other").size(), 27u);
    EXPECT_EQ(with_class(r.all, "frame decode-only").size(), 5u);
    EXPECT_TRUE(with_class(r.all, "silence").empty());
    EXPECT_EQ(with_class(r.all, "envelope").size(), 1u);
}

// An edit that continues the media where the one before stopped delivers no
// frame twice, and its frames are shown, not decoded only.
TEST(Picture, AnEditThatContinuesTheMediaShowsItsFrames) {
    test_movie::movie_plan movie;
    test_movie::track_plan& video = movie.add_video(test_movie::kAvc1, 320, 240);
    video.add_samples(30, 500, 20, false);
    video.samples[0].sync = true;
    video.add_edit(200, 0).add_edit(400, 200);
    picture_run r = import_with_picture(movie, "continued");
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    EXPECT_EQ(with_class(r.all, "edit video").size(), 2u);
    EXPECT_EQ(with_class(r.all, "frame key").size(), 1u);
    EXPECT_EQ(with_class(r.all, "frame other").size(), 29u);
    EXPECT_TRUE(with_class(r.all, "frame decode-only").empty());
}

// A movie the import cannot finish or cannot open still gets its picture,
// with the failure as its status.
struct damaged {
    const char* name;
    test_movie::bytes (*make)();
    size_t lanes;
    // Frames were delivered before the failure, and the warning of the
    // sample that cannot be read is marked where they stop.
    bool stopped;
};

test_movie::bytes cut_in_media() { return ruv_import_test::cut_inside_media(false); }
test_movie::bytes cut_edited() { return ruv_import_test::cut_inside_media(true); }
test_movie::bytes no_movie() { return test_movie::bytes(300, 'x'); }

class DamagedPicture : public testing::TestWithParam<damaged> {};

TEST_P(DamagedPicture, ShowsWhatWasReadAndTheFailure) {
    const picture_run r = import_with_picture(GetParam().make(), GetParam().name, "--quiet");
    const std::vector<element>& all = r.all;
    EXPECT_EQ(r.run.status, 1);
    ASSERT_EQ(r.not_well_formed, "");
    EXPECT_EQ(with_class(all, "lane").size(), GetParam().lanes);
    EXPECT_FALSE(with_class(all, "status failed").empty());
    EXPECT_NE(r.svg.find("cannot import"), std::string::npos);
    const std::vector<element> stopped = with_class(all, "stopped");
    ASSERT_EQ(stopped.size(), 1u);
    if (GetParam().stopped) {
        const double at = stopped[0].number("data-time");
        EXPECT_GT(at, 0.1);
        EXPECT_LT(at, 0.9);
        const std::vector<element> warnings = with_class(all, "warning");
        ASSERT_EQ(warnings.size(), 1u) << r.svg;
        EXPECT_NEAR(warnings[0].number("data-time"), at, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, DamagedPicture,
                         testing::Values(damaged{"cut_in_media", cut_in_media, 1, true},
                                         damaged{"cut_edited", cut_edited, 1, true},
                                         damaged{"no_movie", no_movie, 0, false}),
                         [](const testing::TestParamInfo<damaged>& info) {
                             return std::string(info.param.name);
                         });

TEST(Picture, AFileThatCannotBeWrittenFailsInOneLine) {
    const std::string picture = std::string(RUV_OUTPUT_DIR) + "/no such folder/p.svg";
    tool_result run = run_tool(
        {"--quiet", "--picture", picture, test_fixtures::data_path("h264_bframes_tc.mov")});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = lines_of(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_EQ(lines[0], "ruv-import: cannot write '" + picture + "': No such file or directory");
}

}  // namespace

namespace {

// Every movie of ../shared/fixtures (beside the repository in CI) gets a
// well-formed picture, and --picture changes nothing of the import's exit
// status.
class SharedMoviePicture : public testing::TestWithParam<std::string> {};

std::string fixtures_folder() { return std::string(RUV_REAL_MOVIES_DIR) + "/../fixtures"; }

TEST_P(SharedMoviePicture, IsDrawn) {
    if (GetParam().empty()) GTEST_SKIP() << "../shared/fixtures is not beside the repository";
    const std::string movie = fixtures_folder() + "/" + GetParam() + ".mov";
    const std::string picture = output_path(GetParam() + ".svg");
    const tool_result plain = run_tool({"--quiet", movie});
    const tool_result drawn = run_tool({"--quiet", "--picture", picture, movie});
    const std::string svg = text_of(picture);
    std::remove(picture.c_str());
    EXPECT_EQ(drawn.status, plain.status) << drawn.err;
    std::vector<element> all;
    EXPECT_EQ(read_svg(svg, all), "");
    EXPECT_FALSE(with_class(all, "lane").empty());
}

std::vector<std::string> fixture_movies() {
    std::vector<std::string> names = test_fixtures::movie_names(fixtures_folder());
    if (names.empty()) names.push_back("");
    return names;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SharedMoviePicture, testing::ValuesIn(fixture_movies()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param.empty() ? std::string("absent") : info.param;
                         });

}  // namespace
