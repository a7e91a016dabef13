#pragma once
/// A real browser for tests: Debian's headless Chromium opens a page and
/// reports what it rendered, so that tests can check exported documents as a
/// user's browser shows them (texts visible, markup in values inert).
///
/// Every run gets a fresh profile folder, no network services and a time
/// limit; a browser that hangs is ended and the run reports nothing.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvelle::test {

/// The Chromium program, or empty when it is not installed.
std::filesystem::path chromiumProgram();

/// A file URL for an absolute path ("file:///tmp/a%20b.html").
std::string fileUrl(const std::filesystem::path& path);

/// The page's DOM after loading, as Chromium serialises it (--dump-dom);
/// absent when the browser failed or ran out of time.
std::optional<std::string> dumpDom(const std::filesystem::path& page, int timeoutSeconds = 15);

/// One element of a rendered page.
struct RenderedElement {
    std::string text;     ///< its rendered text (innerText: <br> gives a line feed)
    bool visible = false; ///< it has a box on the page and is not hidden by style
};

/// What a page looks like once rendered.
struct RenderedPage {
    std::vector<RenderedElement> elements; ///< the elements matching the selector, in document order
    std::string bodyText;                  ///< the rendered text of the whole body
    std::size_t images = 0;                ///< <img> elements
    std::size_t loadedImages = 0;          ///< <img> elements whose picture loaded and decoded
    std::size_t scripts = 0;               ///< <script> elements
    std::size_t eventAttributes = 0;       ///< elements with an on... event attribute
};

/// Renders `page` in a frame of a probe page and reads back the elements that
/// match the CSS `selector`; absent when the browser failed or ran out of time.
std::optional<RenderedPage> renderPage(const std::filesystem::path& page, const std::string& selector,
                                       int timeoutSeconds = 15);

/// Takes a `width` x `height` screenshot of `page` into the PNG file `png`;
/// false when the browser failed or ran out of time.
bool screenshot(const std::filesystem::path& page, const std::filesystem::path& png, int width, int height,
                int timeoutSeconds = 20);

} // namespace orvelle::test
