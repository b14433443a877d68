// Stream descriptions: what a queue carries, with named parameters holding
// the codec set-up bytes.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "lib/host_export.h"
#include "lib/kolmbase/object_refcount.h"
#include "lib/ruv/CBuffer.h"
#include "lib/ruv/RPtr.h"

namespace Ruv {
namespace CM {

class CM_API RDescription : public kolmbase::object_refcount {
public:
    enum Kind { kVideo = 1, kAudio = 2 };

    ~RDescription() override;
    virtual Kind getKind() const = 0;

    // Keeps every parameter in the order added, a repeated name included;
    // takes its own reference to the buffer.
    void addParameter(const char* name, RBuffer* value);

    size_t getParameterCount() const { return m_parameters.size(); }
    const std::string& getParameterName(size_t index) const;
    const RBuffer* getParameter(size_t index) const;
    // The first parameter of that name, or null.
    const RBuffer* findParameter(const char* name) const;

private:
    std::vector<std::pair<std::string, RPtr<RBuffer>>> m_parameters;
};

class CM_API RVideoDescription : public RDescription {
public:
    RVideoDescription();
    Kind getKind() const override { return kVideo; }

    unsigned getWidth() const { return m_width; }
    void setWidth(unsigned v) { m_width = v; }
    unsigned getHeight() const { return m_height; }
    void setHeight(unsigned v) { m_height = v; }
    float getDisplayWidth() const { return m_display_width; }
    void setDisplayWidth(float v) { m_display_width = v; }
    float getDisplayHeight() const { return m_display_height; }
    void setDisplayHeight(float v) { m_display_height = v; }
    double getFrameRate() const { return m_frame_rate; }
    void setFrameRate(double v) { m_frame_rate = v; }
    // 0 unknown, 1 and 2 interlaced (by field order), 3 progressive.
    unsigned getFieldMode() const { return m_field_mode; }
    void setFieldMode(unsigned v) { m_field_mode = v; }

private:
    unsigned m_width = 0;
    unsigned m_height = 0;
    float m_display_width = 0;
    float m_display_height = 0;
    double m_frame_rate = 0;
    unsigned m_field_mode = 0;
};

class CM_API RAudioDescription : public RDescription {
public:
    RAudioDescription();
    Kind getKind() const override { return kAudio; }

    unsigned getChannels() const { return m_channels; }
    void setChannels(unsigned v) { m_channels = v; }
    unsigned getBitsPerSample() const { return m_bits_per_sample; }
    void setBitsPerSample(unsigned v) { m_bits_per_sample = v; }
    unsigned getBytesPerSample() const { return m_bytes_per_sample; }
    void setBytesPerSample(unsigned v) { m_bytes_per_sample = v; }
    double getSampleRate() const { return m_sample_rate; }
    void setSampleRate(double v) { m_sample_rate = v; }

private:
    unsigned m_channels = 0;
    unsigned m_bits_per_sample = 0;
    unsigned m_bytes_per_sample = 0;
    double m_sample_rate = 0;
};

}  // namespace CM
}  // namespace Ruv
