// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hidapi_port.h"

#include <hidapi.h>

#include <QMetaObject>
#include <QObject>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <mutex>

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mirelune {

struct HidapiPort::Device {
  hid_device* handle = nullptr;
};

namespace {

std::string Narrow(const wchar_t* w) {
  if (!w) return {};
  std::string s;
  for (; *w; ++w) s += (*w < 0x80) ? static_cast<char>(*w) : '?';
  return s;
}

void InitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { hid_init(); });
}

// The USB port chain of a hidraw node, from where sysfs links its device.
std::string UsbLocationOf(const std::string& path) {
#ifdef __linux__
  const size_t slash = path.rfind('/');
  const std::string node = slash == std::string::npos ? path : path.substr(slash + 1);
  if (node.rfind("hidraw", 0) != 0) return {};
  char target[4096];
  const std::string link = "/sys/class/hidraw/" + node + "/device";
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0) return {};
  return UsbLocationFromSysfs(std::string(target, static_cast<size_t>(n)));
#else
  (void)path;
  return {};
#endif
}

}  // namespace

HidapiPort::HidapiPort() : context_(std::make_unique<QObject>()) { InitOnce(); }

HidapiPort::~HidapiPort() { Close(); }

HidOpenResult HidapiPort::Classify(const char* path, const std::string& hidError) const {
  HidOpenResult r;
  r.detail = std::string(path) + (hidError.empty() ? "" : ": " + hidError);
#ifdef __linux__
  // hidapi only says "failed"; the hidraw node's own errno tells a missing udev rule (EACCES)
  // from a node another program holds exclusively (EBUSY).
  const int fd = ::open(path, O_RDWR | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    r.status = HidOpenStatus::Failed;
    return r;
  }
  const int e = errno;
  r.detail = std::string(path) + ": " + std::strerror(e);
  if (e == EACCES || e == EPERM)
    r.status = HidOpenStatus::PermissionDenied;
  else if (e == EBUSY)
    r.status = HidOpenStatus::Busy;
  else if (e == ENOENT || e == ENODEV)
    r.status = HidOpenStatus::NotFound;
  else
    r.status = HidOpenStatus::Failed;
#else
  // Windows and macOS refuse a second open of a HID device that another program claimed
  // exclusively; there is no separate rights problem for a user's own USB device.
  r.status = HidOpenStatus::Busy;
#endif
  return r;
}

std::vector<HidDeviceInfo> EnumerateHidAmplifiers(uint16_t vendor, uint16_t product) {
  InitOnce();
  std::vector<HidDeviceInfo> raw;
  hid_device_info* list = hid_enumerate(vendor, product);
  for (hid_device_info* d = list; d; d = d->next) {
    if (!d->path) continue;
    HidDeviceInfo info;
    info.path = d->path;
    info.serial = Narrow(d->serial_number);
    info.product = Narrow(d->product_string);
    info.vendorId = d->vendor_id;
    info.productId = d->product_id;
    raw.push_back(std::move(info));
  }
  hid_free_enumeration(list);
  for (HidDeviceInfo& info : raw) info.location = UsbLocationOf(info.path);
  return AmplifierRows(std::move(raw));
}

HidOpenResult HidapiPort::Open(uint16_t vendor, uint16_t product) {
  Close();
  HidOpenResult result;
  result.status = HidOpenStatus::NotFound;
  for (const HidDeviceInfo& d : EnumerateHidAmplifiers(vendor, product)) {
    if (!identity_.Matches(d)) continue;
    hid_device* h = hid_open_path(d.path.c_str());
    if (!h) {
      // Keep the most telling reason over several interfaces: rights before busy before other.
      HidOpenResult r = Classify(d.path.c_str(), Narrow(hid_error(nullptr)));
      if (result.status == HidOpenStatus::NotFound ||
          (r.status == HidOpenStatus::PermissionDenied))
        result = r;
      continue;
    }
    device_ = new Device{h};
    opened_ = d;
    result = HidOpenResult{HidOpenStatus::Opened, d.path};
    break;
  }
  if (!device_) return result;

  stop_ = false;
  const unsigned gen = generation_.load();
  reader_ = std::thread([this, dev = device_, gen] { ReaderLoop(dev, gen); });
  return result;
}

void HidapiPort::ReaderLoop(Device* device, unsigned generation) {
  std::vector<uint8_t> buf(kReportLength);
  // The timeout bounds how long Close waits for this thread.
  constexpr int kReadTimeoutMs = 50;
  while (!stop_) {
    const int n = hid_read_timeout(device->handle, buf.data(), buf.size(), kReadTimeoutMs);
    if (n == 0) continue;
    if (n < 0) {
      QMetaObject::invokeMethod(
          context_.get(),
          [this, generation] {
            if (generation != generation_.load()) return;
            Close();
            if (lost_) lost_();
          },
          Qt::QueuedConnection);
      return;
    }
    std::vector<uint8_t> report(buf.begin(), buf.begin() + n);
    QMetaObject::invokeMethod(
        context_.get(),
        [this, generation, report = std::move(report)] {
          if (generation != generation_.load() || !input_) return;
          input_(report);
        },
        Qt::QueuedConnection);
  }
}

void HidapiPort::Close() {
  ++generation_;
  stop_ = true;
  if (reader_.joinable()) reader_.join();
  if (device_) {
    hid_close(device_->handle);
    delete device_;
    device_ = nullptr;
  }
  opened_ = {};
}

bool HidapiPort::WriteReport(const std::vector<uint8_t>& report) {
  if (!device_ || static_cast<int>(report.size()) != kReportLength) return false;
  // Writing while the reader thread waits in hid_read_timeout is safe on hidraw (one write(2)
  // and one read(2) on the same node) and on the Windows/macOS backends.
  return hid_write(device_->handle, report.data(), report.size()) == kReportLength;
}

}  // namespace mirelune
