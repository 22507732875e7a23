// SPDX-License-Identifier: GPL-3.0-or-later
#include "WlrScreencopyCapture.h"

#include "WaylandImage.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>

#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcScreencopy, "vellumbox.ScreenCapture.Wayland")

namespace vellumbox {

namespace {

struct WlrScreencopyCaptureText {
    Q_DECLARE_TR_FUNCTIONS(WlrScreencopyCapture)
};

// One frame's state, filled in by the compositor's events.
struct Frame {
    bool described = false;
    bool ready = false;
    bool failed = false;
    bool yInverted = false;
    uint32_t format = 0;
    QSize size;
    uint32_t stride = 0;
    bool finished() const { return ready || failed; }
};

// A shared-memory file the compositor copies into, mapped here.
class ShmBuffer {
public:
    ShmBuffer(wl_shm* shm, const Frame& frame)
    {
        size_ = static_cast<size_t>(frame.stride) * static_cast<size_t>(frame.size.height());
        fd_ = memfd_create("vellumbox-screencopy", MFD_CLOEXEC);
        if (fd_ < 0 || ftruncate(fd_, static_cast<off_t>(size_)) != 0)
            return;
        void* data = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
        if (data == MAP_FAILED)
            return;
        data_ = static_cast<uchar*>(data);
        pool_ = wl_shm_create_pool(shm, fd_, static_cast<int32_t>(size_));
        buffer_ = wl_shm_pool_create_buffer(pool_, 0, frame.size.width(), frame.size.height(),
                                            static_cast<int32_t>(frame.stride), frame.format);
    }
    ~ShmBuffer()
    {
        if (buffer_ != nullptr)
            wl_buffer_destroy(buffer_);
        if (pool_ != nullptr)
            wl_shm_pool_destroy(pool_);
        if (data_ != nullptr)
            munmap(data_, size_);
        if (fd_ >= 0)
            close(fd_);
    }
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* buffer() const { return buffer_; }
    const uchar* data() const { return data_; }

private:
    int fd_ = -1;
    size_t size_ = 0;
    uchar* data_ = nullptr;
    wl_shm_pool* pool_ = nullptr;
    wl_buffer* buffer_ = nullptr;
};

} // namespace

// Plain functions for libwayland's listener tables.
struct WaylandListeners {
    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version)
    {
        auto* self = static_cast<WlrScreencopyCapture*>(data);
        if (std::strcmp(interface, wl_shm_interface.name) == 0) {
            self->shm_ =
                static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
            self->manager_ = static_cast<zwlr_screencopy_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, 1));
        } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
            self->xdgOutputManager_ = static_cast<zxdg_output_manager_v1*>(
                wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, 2));
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
            self->addOutput(name, version);
        }
    }
    static void globalRemove(void* data, wl_registry* /*registry*/, uint32_t name)
    {
        static_cast<WlrScreencopyCapture*>(data)->removeOutput(name);
    }

    static void logicalPosition(void* data, zxdg_output_v1* /*output*/, int32_t x, int32_t y)
    {
        static_cast<WlrScreencopyCapture::Output*>(data)->geometry.moveTo(x, y);
    }
    static void logicalSize(void* data, zxdg_output_v1* /*output*/, int32_t width, int32_t height)
    {
        static_cast<WlrScreencopyCapture::Output*>(data)->geometry.setSize({width, height});
    }
    static void ignoreDone(void* /*data*/, zxdg_output_v1* /*output*/) {}
    static void ignoreText(void* /*data*/, zxdg_output_v1* /*output*/, const char* /*text*/) {}

    static void buffer(void* data, zwlr_screencopy_frame_v1* /*frame*/, uint32_t format,
                       uint32_t width, uint32_t height, uint32_t stride)
    {
        auto* frame = static_cast<Frame*>(data);
        frame->described = true;
        frame->format = format;
        frame->size = QSize(static_cast<int>(width), static_cast<int>(height));
        frame->stride = stride;
    }
    static void flags(void* data, zwlr_screencopy_frame_v1* /*frame*/, uint32_t flags)
    {
        static_cast<Frame*>(data)->yInverted =
            (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    }
    static void ready(void* data, zwlr_screencopy_frame_v1* /*frame*/, uint32_t /*secHi*/,
                      uint32_t /*secLo*/, uint32_t /*nsec*/)
    {
        static_cast<Frame*>(data)->ready = true;
    }
    static void failed(void* data, zwlr_screencopy_frame_v1* /*frame*/)
    {
        static_cast<Frame*>(data)->failed = true;
    }

    static constexpr wl_registry_listener registry{global, globalRemove};
    static constexpr zxdg_output_v1_listener xdgOutput{logicalPosition, logicalSize, ignoreDone,
                                                       ignoreText, ignoreText};
    static constexpr zwlr_screencopy_frame_v1_listener frame{buffer, flags, ready, failed};
};

std::unique_ptr<WlrScreencopyCapture> WlrScreencopyCapture::connect()
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return nullptr;
    std::unique_ptr<WlrScreencopyCapture> capture(new WlrScreencopyCapture);
    capture->display_ = display;
    capture->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(capture->registry_, &WaylandListeners::registry, capture.get());
    // The globals, then the outputs' logical geometry.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0)
        return nullptr;
    if (capture->manager_ == nullptr || capture->shm_ == nullptr ||
        capture->xdgOutputManager_ == nullptr) {
        qCInfo(lcScreencopy) << "The compositor does not offer wlroots screen copy";
        return nullptr;
    }
    return capture;
}

WlrScreencopyCapture::~WlrScreencopyCapture()
{
    for (const auto& output : outputs_) {
        if (output->xdgOutput != nullptr)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
    }
    if (xdgOutputManager_ != nullptr)
        zxdg_output_manager_v1_destroy(xdgOutputManager_);
    if (manager_ != nullptr)
        zwlr_screencopy_manager_v1_destroy(manager_);
    if (shm_ != nullptr)
        wl_shm_destroy(shm_);
    if (registry_ != nullptr)
        wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WlrScreencopyCapture::addOutput(uint32_t name, uint32_t version)
{
    auto output = std::make_unique<Output>();
    output->name = name;
    output->output = static_cast<wl_output*>(
        wl_registry_bind(registry_, name, &wl_output_interface, std::min(version, 2U)));
    Output* added = output.get();
    outputs_.push_back(std::move(output));
    if (xdgOutputManager_ != nullptr) {
        added->xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputManager_, added->output);
        zxdg_output_v1_add_listener(added->xdgOutput, &WaylandListeners::xdgOutput, added);
    }
}

void WlrScreencopyCapture::removeOutput(uint32_t name)
{
    std::erase_if(outputs_, [name](const std::unique_ptr<Output>& output) {
        if (output->name != name)
            return false;
        if (output->xdgOutput != nullptr)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
        return true;
    });
}

bool WlrScreencopyCapture::dispatchUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        while (wl_display_prepare_read(display_) != 0) {
            if (wl_display_dispatch_pending(display_) < 0)
                return false;
        }
        if (done()) {
            wl_display_cancel_read(display_);
            break;
        }
        wl_display_flush(display_);
        pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
        const int remaining = static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
        if (poll(&fd, 1, remaining) <= 0) {
            wl_display_cancel_read(display_);
            return false;
        }
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0)
            return false;
    }
    return true;
}

QString WlrScreencopyCapture::connectionError() const
{
    const int error = wl_display_get_error(display_);
    return WlrScreencopyCaptureText::tr("The connection to the compositor failed (%1).")
        .arg(QString::fromLocal8Bit(std::strerror(error != 0 ? error : EPIPE)));
}

DisplayImage WlrScreencopyCapture::captureDisplay(const ScreenInfo& screen)
{
    // Outputs may have come or gone since the last capture.
    if (wl_display_roundtrip(display_) < 0)
        return {{}, connectionError()};
    QList<QRect> geometries;
    for (const auto& output : outputs_)
        geometries.append(output->geometry);
    const int index = outputIndexForScreen(geometries, screen.geometry);
    if (index < 0)
        return {{},
                WlrScreencopyCaptureText::tr(
                    "The compositor shows no output where the screen \"%1\" was.")
                    .arg(screen.name)};
    const Output& output = *outputs_.at(static_cast<size_t>(index));

    Frame frame;
    auto* handle = zwlr_screencopy_manager_v1_capture_output(manager_, 0, output.output);
    zwlr_screencopy_frame_v1_add_listener(handle, &WaylandListeners::frame, &frame);
    const auto finish = [handle](DisplayImage image) {
        zwlr_screencopy_frame_v1_destroy(handle);
        return image;
    };
    if (!dispatchUntil([&frame] { return frame.described || frame.failed; }, replyTimeoutMs))
        return finish({{},
                       wl_display_get_error(display_) != 0
                           ? connectionError()
                           : WlrScreencopyCaptureText::tr(
                                 "The compositor did not answer a request for the screen.")});
    if (frame.failed)
        return finish(
            {{}, WlrScreencopyCaptureText::tr("The compositor could not copy the screen.")});
    ShmBuffer buffer(shm_, frame);
    if (buffer.buffer() == nullptr)
        return finish(
            {{},
             WlrScreencopyCaptureText::tr("There is not enough memory for the screen's picture.")});
    zwlr_screencopy_frame_v1_copy(handle, buffer.buffer());
    if (!dispatchUntil([&frame] { return frame.finished(); }, replyTimeoutMs) || !frame.ready)
        return finish(
            {{},
             frame.failed
                 ? WlrScreencopyCaptureText::tr("The compositor could not copy the screen.")
                 : WlrScreencopyCaptureText::tr("The compositor did not answer a request for the "
                                                "screen.")});
    DisplayImage image =
        imageFromShmBuffer(buffer.data(), frame.size, frame.stride, frame.format, frame.yInverted);
    if (image.ok() && !output.geometry.isEmpty()) {
        image.scale = qreal(image.image.width()) / output.geometry.width();
        image.image.setDevicePixelRatio(image.scale);
    }
    return finish(std::move(image));
}

} // namespace vellumbox
