// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11DisplayCapture.h"

#include "X11Connection.h"

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

namespace vellumbox {

namespace {

constexpr uint32_t allPlanes = ~0U;

bool isSupportedDepth(uint8_t depth) { return depth == 24 || depth == 32; }

QRect rootRect(xcb_connection_t* conn)
{
    const xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
    if (it.rem <= 0)
        return {};
    return {0, 0, it.data->width_in_pixels, it.data->height_in_pixels};
}

void releaseSegment(void* address) { shmdt(address); }

// The image wraps the shared segment itself and detaches it when the last copy goes.
QImage captureShared(xcb_connection_t* conn, xcb_window_t root, const QRect& rect)
{
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(conn, &xcb_shm_id);
    if (!shm || !shm->present)
        return {};
    const size_t bytes = static_cast<size_t>(rect.width()) * rect.height() * 4;
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return {};
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) { // NOLINT(performance-no-int-to-ptr)
        shmctl(id, IPC_RMID, nullptr);
        return {};
    }
    const xcb_shm_seg_t segment = xcb_generate_id(conn);
    xcb_shm_attach(conn, segment, static_cast<uint32_t>(id), 0);
    const auto cookie = xcb_shm_get_image(
        conn, root, static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
        static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height()), allPlanes,
        XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0);
    xcb_generic_error_t* error = nullptr;
    const x11::Reply<xcb_shm_get_image_reply_t> reply(
        xcb_shm_get_image_reply(conn, cookie, &error));
    const x11::Reply<xcb_generic_error_t> errorGuard(error);
    xcb_shm_detach(conn, segment);
    // The segment lives on until the last process detaches it.
    shmctl(id, IPC_RMID, nullptr);
    if (!reply || !isSupportedDepth(reply->depth)) {
        shmdt(address);
        return {};
    }
    return QImage(static_cast<uchar*>(address), rect.width(), rect.height(), rect.width() * 4,
                  QImage::Format_RGB32, releaseSegment, address);
}

QImage capturePlain(xcb_connection_t* conn, xcb_window_t root, const QRect& rect, QString* why)
{
    const auto cookie = xcb_get_image(
        conn, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(rect.x()),
        static_cast<int16_t>(rect.y()), static_cast<uint16_t>(rect.width()),
        static_cast<uint16_t>(rect.height()), allPlanes);
    xcb_generic_error_t* error = nullptr;
    const x11::Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(conn, cookie, &error));
    const x11::Reply<xcb_generic_error_t> errorGuard(error);
    if (!reply) {
        *why = QStringLiteral("The display could not be read (X error %1).")
                   .arg(error ? error->error_code : 0);
        return {};
    }
    const size_t expected = static_cast<size_t>(rect.width()) * rect.height() * 4;
    if (!isSupportedDepth(reply->depth) ||
        static_cast<size_t>(xcb_get_image_data_length(reply.get())) < expected) {
        *why = QStringLiteral("The display has an unsupported pixel format (depth %1).")
                   .arg(reply->depth);
        return {};
    }
    QImage image(rect.width(), rect.height(), QImage::Format_RGB32);
    std::memcpy(image.bits(), xcb_get_image_data(reply.get()), expected);
    return image;
}

} // namespace

DisplayImage X11DisplayCapture::captureDisplay(const ScreenInfo& screen)
{
    xcb_connection_t* conn = x11::connection();
    const xcb_window_t root = x11::rootWindow();
    if (!conn || root == XCB_WINDOW_NONE)
        return {{}, QStringLiteral("There is no X11 display to capture.")};
    const QRect rect = screen.nativeGeometry.intersected(rootRect(conn));
    if (rect.isEmpty())
        return {{}, QStringLiteral("The screen “%1” lies outside the display.").arg(screen.name)};

    QImage image = sharedMemoryAllowed_ ? captureShared(conn, root, rect) : QImage();
    QString why;
    if (image.isNull())
        image = capturePlain(conn, root, rect, &why);
    if (image.isNull())
        return {{}, why};
    image.setDevicePixelRatio(screen.devicePixelRatio);
    return {image, {}};
}

} // namespace vellumbox
