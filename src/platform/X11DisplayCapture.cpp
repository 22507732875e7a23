// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11DisplayCapture.h"

#include "Logging.h"
#include "X11Connection.h"
#include "X11SelectionBackdrop.h"

#include <QCoreApplication>
#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>
#include <vector>

namespace vellumbox {

namespace {

struct X11DisplayCaptureText {
    Q_DECLARE_TR_FUNCTIONS(X11DisplayCapture)
};

constexpr uint32_t allPlanes = ~0U;

bool isSupportedDepth(uint8_t depth)
{
    return depth == 24 || depth == 32;
}

QRect rootRect(xcb_connection_t* conn)
{
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    if (it.rem <= 0)
        return {};
    return {0, 0, it.data->width_in_pixels, it.data->height_in_pixels};
}

QImage capturePlain(xcb_connection_t* conn, xcb_window_t root, const QRect& rect, QString* why)
{
    const auto cookie =
        xcb_get_image(conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(rect.x()),
                      static_cast<int16_t>(rect.y()), static_cast<uint16_t>(rect.width()),
                      static_cast<uint16_t>(rect.height()), allPlanes);
    xcb_generic_error_t* error = nullptr;
    const x11::Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(conn, cookie, &error));
    const x11::Reply<xcb_generic_error_t> errorGuard(error);
    if (!reply) {
        *why = X11DisplayCaptureText::tr("The display could not be read (X error %1).")
                   .arg(error ? error->error_code : 0);
        return {};
    }
    const size_t expected = static_cast<size_t>(rect.width()) * rect.height() * 4;
    if (!isSupportedDepth(reply->depth) ||
        static_cast<size_t>(xcb_get_image_data_length(reply.get())) < expected) {
        *why = X11DisplayCaptureText::tr("The display has an unsupported pixel format (depth %1).")
                   .arg(reply->depth);
        return {};
    }
    QImage image(rect.width(), rect.height(), QImage::Format_RGB32);
    std::memcpy(image.bits(), xcb_get_image_data(reply.get()), expected);
    return image;
}

} // namespace

// Segments attached to the X server. An image handed out wraps its segment directly; the
// segment becomes free again when the last copy of that image goes.
class SharedSegmentPool : public std::enable_shared_from_this<SharedSegmentPool> {
public:
    ~SharedSegmentPool() { releaseIdle(); }

    QImage capture(xcb_connection_t* conn, xcb_window_t root, const QRect& rect)
    {
        const size_t bytes = static_cast<size_t>(rect.width()) * rect.height() * 4;
        Segment* segment = freeSegment(conn, bytes);
        if (!segment)
            return {};
        const auto cookie = xcb_shm_get_image(
            conn, root, static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
            static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height()), allPlanes,
            XCB_IMAGE_FORMAT_Z_PIXMAP, segment->id, 0);
        const x11::Reply<xcb_shm_get_image_reply_t> reply(
            xcb_shm_get_image_reply(conn, cookie, nullptr));
        if (!reply || !isSupportedDepth(reply->depth))
            return {};
        segment->busy = true;
        auto* lease = new Lease{weak_from_this(), segment->address};
        return QImage(static_cast<uchar*>(segment->address), rect.width(), rect.height(),
                      static_cast<qsizetype>(rect.width()) * 4, QImage::Format_RGB32,
                      &SharedSegmentPool::giveBack, lease);
    }

    void releaseIdle()
    {
        xcb_connection_t* conn = x11::connection();
        std::erase_if(segments_, [conn](const Segment& segment) {
            if (segment.busy)
                return false;
            if (conn)
                xcb_shm_detach(conn, segment.id);
            shmdt(segment.address);
            return true;
        });
        if (conn)
            xcb_flush(conn);
    }

private:
    struct Segment {
        xcb_shm_seg_t id = 0;
        void* address = nullptr;
        size_t size = 0;
        bool busy = false;
    };
    struct Lease {
        std::weak_ptr<SharedSegmentPool> pool;
        void* address;
    };

    static void giveBack(void* info)
    {
        std::unique_ptr<Lease> lease(static_cast<Lease*>(info));
        if (const auto pool = lease->pool.lock()) {
            for (Segment& segment : pool->segments_) {
                if (segment.address == lease->address)
                    segment.busy = false;
            }
        } else {
            shmdt(lease->address);
        }
    }

    Segment* freeSegment(xcb_connection_t* conn, size_t bytes)
    {
        for (Segment& segment : segments_) {
            if (!segment.busy && segment.size >= bytes)
                return &segment;
        }
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0)
            return nullptr;
        void* address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) { // NOLINT(performance-no-int-to-ptr)
            shmctl(id, IPC_RMID, nullptr);
            return nullptr;
        }
        const xcb_shm_seg_t segment = xcb_generate_id(conn);
        const x11::Reply<xcb_generic_error_t> error(xcb_request_check(
            conn, xcb_shm_attach_checked(conn, segment, static_cast<uint32_t>(id), 0)));
        // Marked for removal now: it goes once both sides have detached, even after a crash.
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            shmdt(address);
            return nullptr;
        }
        segments_.push_back({segment, address, bytes, false});
        return &segments_.back();
    }

    std::vector<Segment> segments_;
};

X11DisplayCapture::X11DisplayCapture()
    : pool_(std::make_shared<SharedSegmentPool>())
{
    idleRelease_.setSingleShot(true);
    idleRelease_.setInterval(idleReleaseMs);
    connect(&idleRelease_, &QTimer::timeout, this, [this] { pool_->releaseIdle(); });
}

X11DisplayCapture::~X11DisplayCapture() = default;

DisplayImage X11DisplayCapture::captureDisplay(const ScreenInfo& screen)
{
    return captureDisplayPart(screen, QRect(QPoint(), screen.nativeGeometry.size()));
}

DisplayImage X11DisplayCapture::captureDisplayPart(const ScreenInfo& screen, const QRect& part)
{
    xcb_connection_t* conn = x11::connection();
    const xcb_window_t root = x11::rootWindow();
    if (!conn || root == XCB_WINDOW_NONE)
        return {{}, X11DisplayCaptureText::tr("There is no X11 display to capture.")};
    const QRect onScreen = screen.nativeGeometry.intersected(rootRect(conn));
    if (onScreen.isEmpty())
        return {{},
                X11DisplayCaptureText::tr("The screen “%1” lies outside the display.")
                    .arg(screen.name)};
    // A part only: a fresh segment for the whole of a 4K screen costs more than the read.
    const QRect rect = part.translated(screen.nativeGeometry.topLeft()).intersected(onScreen);
    if (rect.isEmpty())
        return {
            {},
            X11DisplayCaptureText::tr("The area lies outside the screen “%1”.").arg(screen.name)};

    QImage image;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(conn, &xcb_shm_id);
    if (sharedMemoryAllowed_ && shm && shm->present) {
        image = pool_->capture(conn, root, rect);
        idleRelease_.start();
    }
    QString why;
    if (image.isNull())
        image = capturePlain(conn, root, rect, &why);
    if (image.isNull())
        return {{}, why};
    image.setDevicePixelRatio(screen.devicePixelRatio);
    DisplayImage read{image, {}};
    read.origin = rect.topLeft() - screen.nativeGeometry.topLeft();
    return read;
}

std::unique_ptr<SelectionBackdrop> X11DisplayCapture::selectionBackdrop(const ScreenInfo& screen,
                                                                        const QColor& dimming,
                                                                        bool compositing)
{
    xcb_connection_t* conn = x11::connection();
    if (!serverBackdropAllowed_ || !conn)
        return nullptr;
    if (compositing)
        return X11SelectionBackdrop::tint(conn, dimming);
    const QRect rect = screen.nativeGeometry.intersected(rootRect(conn));
    if (rect.isEmpty())
        return nullptr;
    QString why;
    std::unique_ptr<SelectionBackdrop> held = X11SelectionBackdrop::hold(conn, rect, dimming, &why);
    if (!held)
        qCWarning(lcScreenCapture).noquote()
            << "The selection dims the screen in the program instead:" << why;
    return held;
}

} // namespace vellumbox
