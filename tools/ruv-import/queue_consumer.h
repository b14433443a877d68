// One consumer thread per exported queue: it takes every frame the importer
// puts, counts it, prints it when asked and writes its data to the output
// file of its kind. Taking frames as they come keeps the bounded queue, and
// so the memory of the import, small however long the movie is.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "console.h"
#include "lib/cm/CMComponent.h"
#include "picture.h"
#include "wav_writer.h"

namespace ruv_import {

struct queue_summary {
    unsigned queue = 0;
    bool video = false;
    uint64_t frames = 0;
    uint64_t bytes = 0;
    double first_time = 0;
    double end_time = 0;
    bool has_timecode = false;
    kolmbase::timecode first_timecode;
    kolmbase::timecode last_timecode;
    // Set when writing the output file failed; frames are still taken.
    std::string write_error;
};

enum class frame_lines { none, human, json };

class queue_consumer {
public:
    // audio_out and video_out may be null; they stay the caller's.
    queue_consumer(unsigned index, Ruv::CM::RQueue& queue, console& output, frame_lines lines,
                   wav_writer* audio_out, std::FILE* video_out);
    ~queue_consumer();
    queue_consumer(const queue_consumer&) = delete;
    queue_consumer& operator=(const queue_consumer&) = delete;

    // Every frame taken is also handed to the picture (may be null).
    void set_picture(picture_recorder* picture) { m_picture = picture; }
    void start();
    // Returns once the queue has ended (or was cancelled) and is empty.
    void join();

    const queue_summary& summary() const { return m_summary; }

private:
    void run();
    void take(const Ruv::CM::RFrame& frame);

    Ruv::CM::RQueue& m_queue;
    console& m_console;
    frame_lines m_lines;
    wav_writer* m_audio_out;
    std::FILE* m_video_out;
    picture_recorder* m_picture = nullptr;
    queue_summary m_summary;
    std::thread m_thread;
};

// One line describing a frame, for --frames.
std::string human_frame_line(unsigned queue, const Ruv::CM::RFrame& frame);

}  // namespace ruv_import
