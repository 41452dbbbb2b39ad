// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt_audio_port.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QAudioSource>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace mirelune {
namespace {

constexpr int kStallMs = 3000;
constexpr int kOverrunMs = 5000;
constexpr int kPollMs = 10;

std::vector<std::string> Names(const QList<QAudioDevice>& devices) {
  std::vector<std::string> out;
  for (const QAudioDevice& d : devices) out.push_back(d.description().toStdString());
  return out;
}

bool Find(const QList<QAudioDevice>& devices, const QAudioDevice& fallback, const std::string& name, QAudioDevice& out) {
  if (name.empty()) {
    out = fallback;
    return !out.isNull();
  }
  for (const QAudioDevice& d : devices)
    if (d.description().toStdString() == name) {
      out = d;
      return true;
    }
  return false;
}

// The first format of float/16-bit, mono/the device's own channels, that the device takes.
bool Choose(const QAudioDevice& device, int rate, QAudioFormat& format) {
  const int own = std::max(1, device.preferredFormat().channelCount());
  for (const int channels : {1, own, 2})
    for (const QAudioFormat::SampleFormat sample : {QAudioFormat::Float, QAudioFormat::Int16, QAudioFormat::Int32}) {
      QAudioFormat f;
      f.setSampleRate(rate);
      f.setChannelCount(channels);
      f.setSampleFormat(sample);
      if (device.isFormatSupported(f)) {
        format = f;
        return true;
      }
    }
  return false;
}

QByteArray Encode(const std::vector<float>& signal, size_t silence, const QAudioFormat& f) {
  const int channels = f.channelCount();
  const int bytes = f.bytesPerSample();
  QByteArray out(static_cast<qsizetype>((signal.size() + silence) * channels * bytes), '\0');
  char* p = out.data();
  for (size_t i = 0; i < signal.size(); ++i) {
    const float v = std::clamp(signal[i], -1.0f, 1.0f);
    for (int c = 0; c < channels; ++c, p += bytes) {
      if (f.sampleFormat() == QAudioFormat::Float) {
        std::memcpy(p, &v, 4);
      } else if (f.sampleFormat() == QAudioFormat::Int16) {
        const int16_t s = static_cast<int16_t>(std::lround(v * 32767.0f));
        std::memcpy(p, &s, 2);
      } else {
        const int32_t s = static_cast<int32_t>(std::llround(static_cast<double>(v) * 2147483647.0));
        std::memcpy(p, &s, 4);
      }
    }
  }
  return out;
}

// Appends the first channel of whole frames of `bytes` to `out`; the rest of a frame waits.
void Decode(QByteArray& pending, const QAudioFormat& f, std::vector<float>& out) {
  const int frame = f.bytesPerFrame();
  const qsizetype whole = pending.size() / frame * frame;
  const char* p = pending.constData();
  for (qsizetype at = 0; at < whole; at += frame) {
    float v = 0;
    if (f.sampleFormat() == QAudioFormat::Float) {
      std::memcpy(&v, p + at, 4);
    } else if (f.sampleFormat() == QAudioFormat::Int16) {
      int16_t s;
      std::memcpy(&s, p + at, 2);
      v = static_cast<float>(s / 32768.0);
    } else {
      int32_t s;
      std::memcpy(&s, p + at, 4);
      v = static_cast<float>(s / 2147483648.0);
    }
    out.push_back(v);
  }
  pending.remove(0, whole);
}

}  // namespace

std::vector<std::string> QtAudioPort::Outputs() { return Names(QMediaDevices::audioOutputs()); }
std::vector<std::string> QtAudioPort::Inputs() { return Names(QMediaDevices::audioInputs()); }

AudioResult QtAudioPort::PlayAndRecord(const AudioRequest& req, const Progress& progress,
                                       const std::atomic<bool>* cancel) {
  AudioResult r;
  QAudioDevice outDev, inDev;
  if (!Find(QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput(), req.output, outDev)) {
    r.error = req.output.empty() ? "the system has no sound output" : "no output named '" + req.output + "'";
    return r;
  }
  if (!Find(QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput(), req.input, inDev)) {
    r.error = req.input.empty() ? "the system has no sound input" : "no input named '" + req.input + "'";
    return r;
  }
  QAudioFormat outFmt, inFmt;
  if (!Choose(outDev, req.rate, outFmt)) {
    r.error = "the output '" + outDev.description().toStdString() + "' takes no " + std::to_string(req.rate) + " Hz format";
    return r;
  }
  if (!Choose(inDev, req.rate, inFmt)) {
    r.error = "the input '" + inDev.description().toStdString() + "' takes no " + std::to_string(req.rate) + " Hz format";
    return r;
  }
  const size_t tail = static_cast<size_t>(std::llround(std::max(req.tailSeconds, 0.0) * req.rate));
  const size_t wanted = req.signal.size() + tail;
  // The output keeps playing silence past the end, so it never runs dry while the input records.
  QByteArray played = Encode(req.signal, tail + static_cast<size_t>(req.rate), outFmt);
  QBuffer buffer(&played);
  buffer.open(QIODevice::ReadOnly);

  QAudioSource source(inDev, inFmt);
  QIODevice* in = source.start();
  if (!in || source.error() != QAudio::NoError) {
    r.error = "the input '" + inDev.description().toStdString() + "' cannot be opened";
    return r;
  }
  QAudioSink sink(outDev, outFmt);
  sink.start(&buffer);
  if (sink.error() != QAudio::NoError) {
    source.stop();
    r.error = "the output '" + outDev.description().toStdString() + "' cannot be opened";
    return r;
  }

  QEventLoop loop;
  QTimer poll;
  QElapsedTimer clock, lastData;
  clock.start();
  lastData.start();
  QByteArray pending;
  const qint64 limitMs = static_cast<qint64>(1000.0 * static_cast<double>(wanted) / req.rate) + kOverrunMs;
  auto step = [&] {
    const QByteArray got = in->readAll();
    if (!got.isEmpty()) {
      pending += got;
      Decode(pending, inFmt, r.captured);
      lastData.restart();
    }
    if (progress) progress(std::min(1.0, static_cast<double>(r.captured.size()) / static_cast<double>(wanted)));
    if (r.captured.size() >= wanted) {
      r.ok = true;
    } else if (cancel && cancel->load()) {
      r.cancelled = true;
    } else if (lastData.elapsed() > kStallMs) {
      r.error = "no sound came from the input '" + inDev.description().toStdString() + "' for 3 s";
    } else if (clock.elapsed() > limitMs) {
      r.error = "the recording from '" + inDev.description().toStdString() + "' fell behind";
    } else {
      return;
    }
    loop.quit();
  };
  QObject::connect(&poll, &QTimer::timeout, &loop, step);
  poll.start(kPollMs);
  loop.exec();
  poll.stop();
  sink.stop();
  source.stop();
  if (r.ok) r.captured.resize(wanted);
  else r.captured.clear();
  return r;
}

}  // namespace mirelune
