#include "platform/host/ScreenDriver.h"

#include "platform/foundation/SystemClock.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/layers/CATransaction.h"
#include "platform/text/UIFont.h"
#include "platform/uikit/UIScreen.h"

#include <cstring>
#include <sstream>

void ScreenDriver::init(CGFloat scale)
{
    auto screen = UIScreen::mainScreen();
    m_compositor = LayerCompositor::create(screen->bounds().size, scale > 0 ? scale : screen->scale());
    m_compositor->setRootLayer(screen->layer());
    m_lastFrame = SystemClock::monotonicNow();
}

bool ScreenDriver::needsFrame() const
{
    CATransaction::flush();
    return m_compositor->needsFrame();
}

bool ScreenDriver::renderFrameIfNeeded()
{
    if (!needsFrame()) {
        // Letting go reads the process's map of mappings, and glyphs drawn next fault their
        // pages back in: worth it only once the screen has settled.
        if (m_fontPagesRead && SystemClock::monotonicNow() - m_lastFrame >= fontPagesRest) {
            m_fontPagesRead = false;
            ++m_fontPageReleases;
            UIFont::releaseResidentFontPages();
        }
        return false;
    }
    m_compositor->renderFrame();
    didDrawFrame();
    return true;
}

void ScreenDriver::renderFrame()
{
    CATransaction::flush();
    m_compositor->renderFrame();
    didDrawFrame();
}

void ScreenDriver::didDrawFrame()
{
    m_lastFrame = SystemClock::monotonicNow();
    m_fontPagesRead = true;
}

std::array<uint8_t, 4> ScreenDriver::pixelAt(CGPoint point) const
{
    const CGContextRef& frame = m_compositor->bitmapContext();
    const auto* data = static_cast<const unsigned char*>(CGBitmapContextGetData(frame));
    if (!data)
        return {};
    const CGFloat scale = m_compositor->scale();
    const int x = static_cast<int>(point.x * scale);
    const int y = static_cast<int>(point.y * scale);
    if (x < 0 || y < 0 || x >= int(CGBitmapContextGetWidth(frame)) || y >= int(CGBitmapContextGetHeight(frame)))
        return {};
    const unsigned char* row = data + y * CGBitmapContextGetBytesPerRow(frame);
    uint32_t pixel;
    std::memcpy(&pixel, row + x * 4, 4);
    const uint8_t alpha = pixel >> 24;
    auto straight = [alpha](uint32_t component) -> uint8_t {
        component &= 0xFF;
        return alpha ? static_cast<uint8_t>(std::min<uint32_t>(255, (component * 255 + alpha / 2) / alpha)) : 0;
    };
    return { straight(pixel >> 16), straight(pixel >> 8), straight(pixel), alpha };
}

bool ScreenDriver::writePNG(const NSString& path)
{
    renderFrameIfNeeded();
    return m_compositor->writePNG(path);
}

namespace {

void describe(const std::shared_ptr<UIView>& view, int depth, std::ostringstream& out)
{
    out << std::string(depth * 2, ' ') << view->className() << ' ' << NSStringFromCGRect(view->frame()).UTF8String();
    if (NSString text = view->visibleText(); !text.isNil())
        out << " \"" << text.UTF8String() << '"';
    if (view->isHidden())
        out << " hidden";
    out << '\n';
    for (const auto& subview : view->subviews())
        describe(subview, depth + 1, out);
}

} // namespace

NSString ScreenDriver::viewTree(const std::shared_ptr<UIView>& root)
{
    if (!root)
        return "";
    std::ostringstream out;
    describe(root, 0, out);
    return NSString(out.str());
}

std::optional<CGPoint> ScreenDriver::screenPointOfView(const std::shared_ptr<UIView>& view)
{
    if (!view)
        return std::nullopt;
    auto window = view->window();
    if (!window)
        return std::nullopt;
    const CGRect bounds = view->bounds();
    const CGPoint inWindow = view->convertPointToView({ CGRectGetMidX(bounds), CGRectGetMidY(bounds) }, nullptr);
    return window->convertPointToWindow(inWindow, nullptr);
}
