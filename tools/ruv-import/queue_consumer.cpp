#include "queue_consumer.h"

#include <cstdio>

#include "json_events.h"
#include "lib/kolmbase/strings.h"

namespace ruv_import {

queue_consumer::queue_consumer(unsigned index, Ruv::CM::RQueue& queue, console& output,
                               frame_lines lines, wav_writer* audio_out, std::FILE* video_out)
    : m_queue(queue),
      m_console(output),
      m_lines(lines),
      m_audio_out(audio_out),
      m_video_out(video_out) {
    m_summary.queue = index;
}

queue_consumer::~queue_consumer() {
    m_queue.cancel();
    join();
}

void queue_consumer::start() { m_thread = std::thread([this] { run(); }); }

void queue_consumer::join() {
    if (m_thread.joinable()) m_thread.join();
}

void queue_consumer::run() {
    Ruv::RPtr<const Ruv::CM::RFrame> frame;
    while (m_queue.take(frame)) {
        if (frame) take(*frame);
        frame.reset();
    }
}

void queue_consumer::take(const Ruv::CM::RFrame& frame) {
    queue_summary& s = m_summary;
    double time = frame.getTimeStamp().getSecondsAsDouble();
    double end = time + frame.getDuration().getSecondsAsDouble();
    if (s.frames == 0) s.first_time = time;
    if (end > s.end_time || s.frames == 0) s.end_time = end;
    ++s.frames;
    s.bytes += frame.getDataLength();

    if (frame.getKind() == Ruv::CM::RFrame::kVideo) {
        s.video = true;
        const auto& video = static_cast<const Ruv::CM::RVideoFrame&>(frame);
        if (!s.has_timecode) s.first_timecode = video.getTimeCode();
        s.last_timecode = video.getTimeCode();
        s.has_timecode = true;
        if (m_video_out && s.write_error.empty() && frame.getDataLength() &&
            std::fwrite(frame.getData(), 1, frame.getDataLength(), m_video_out) !=
                frame.getDataLength())
            s.write_error = "cannot write the video samples";
    } else if (m_audio_out && s.write_error.empty() &&
               !m_audio_out->write_big_endian_floats(frame.getData(), frame.getDataLength())) {
        s.write_error = "cannot write the audio samples";
    }

    if (m_picture) m_picture->add_frame(frame);
    if (m_lines == frame_lines::json) m_console.line(frame_event(s.queue, frame));
    if (m_lines == frame_lines::human) m_console.line(human_frame_line(s.queue, frame));
    m_console.frame_delivered(end);
}

std::string human_frame_line(unsigned queue, const Ruv::CM::RFrame& frame) {
    std::string line = kolmbase::string_with_format(
        "frame queue %u #%u time %.6f decode %.6f duration %.6f size %u format '%s'", queue,
        frame.getSequenceNumber(), frame.getTimeStamp().getSecondsAsDouble(),
        frame.getDecodeTime().getSecondsAsDouble(), frame.getDuration().getSecondsAsDouble(),
        frame.getDataLength(), kolmbase::string_with_fourcc(frame.getDataFormat()).c_str());
    if (frame.getKind() == Ruv::CM::RFrame::kVideo) {
        const auto& video = static_cast<const Ruv::CM::RVideoFrame&>(frame);
        line += video.getFrameType() == Ruv::CM::RVideoFrame::kKeyFrame ? " key" : " delta";
        line += " timecode " + video.getTimeCode().to_string();
    }
    return line;
}

}  // namespace ruv_import
