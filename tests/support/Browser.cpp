#include "support/Browser.h"

#include "support/TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace orvelle::test {

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
/// Flags that keep the browser quiet, local and independent of any profile.
constexpr const char* kFlags = "--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                               "--disable-background-networking --disable-component-update --disable-sync";

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}
#endif

/// Runs the browser on `url` with `extraFlags` and `output` (what it is to
/// produce: the DOM by default); its standard output, or absent when it failed
/// or ran out of time. Standard error (its log) is dropped.
std::optional<std::string> runChromium(const std::string& url, const std::string& extraFlags,
                                       const fs::path& profile, int timeoutSeconds,
                                       const std::string& output = "--dump-dom") {
#ifdef _WIN32
    // The browser is started through a POSIX shell (time limit, separate home):
    // the tests use it on Linux only, and chromiumProgram() finds none here.
    (void)url, (void)extraFlags, (void)profile, (void)timeoutSeconds, (void)output;
    return std::nullopt;
#else
    const fs::path program = chromiumProgram();
    if (program.empty()) return std::nullopt;
    // Home and caches go into the run's folder: nothing is left in the user's home.
    const std::string home = shellQuoted(profile.parent_path().string());
    const std::string command = "HOME=" + home + " XDG_CONFIG_HOME=" + home + " XDG_CACHE_HOME=" + home +
                                " timeout -k 5 " + std::to_string(timeoutSeconds) + " " +
                                shellQuoted(program.string()) + " " + kFlags + " " + extraFlags +
                                " --user-data-dir=" + shellQuoted(profile.string()) + " " + output + " " +
                                shellQuoted(url) + " </dev/null 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
#endif
}

std::string jsString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

/// The probe: loads the page in a frame and, once everything has loaded,
/// writes what it rendered into its own DOM, one line per finding, every
/// text percent-encoded so that no markup can stand in its way.
std::string probePage(const std::string& pageUrl, const std::string& selector) {
    return R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body>
<iframe id="page" src=")" +
           pageUrl + R"(" style="width:1000px;height:800px"></iframe>
<pre id="out"></pre>
<script>
window.addEventListener('load', function () {
  var out = [];
  try {
    var frame = document.getElementById('page');
    var d = frame.contentDocument, w = frame.contentWindow;
    d.querySelectorAll()" +
           jsString(selector) + R"().forEach(function (e) {
      var s = w.getComputedStyle(e);
      var shown = e.getClientRects().length > 0 && s.visibility !== 'hidden' && s.display !== 'none' &&
                  parseFloat(s.opacity) > 0;
      out.push('E ' + (shown ? 1 : 0) + ' ' + encodeURIComponent(e.innerText));
    });
    out.push('B ' + encodeURIComponent(d.body.innerText));
    var events = 0;
    d.querySelectorAll('*').forEach(function (e) {
      for (var i = 0; i < e.attributes.length; ++i)
        if (/^on/i.test(e.attributes[i].name)) { ++events; break; }
    });
    var loaded = 0;
    d.querySelectorAll('img').forEach(function (i) { if (i.complete && i.naturalWidth > 0) ++loaded; });
    out.push('C ' + d.querySelectorAll('img').length + ' ' + d.querySelectorAll('script').length + ' ' + events +
             ' ' + loaded);
  } catch (x) {
    out.push('X ' + encodeURIComponent(String(x)));
  }
  document.getElementById('out').textContent = '\n' + out.join('\n') + '\nEND\n';
});
</script>
</body></html>
)";
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() && text[i] == '%' ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

fs::path chromiumProgram() {
#ifdef _WIN32
    return {}; // see runChromium
#else
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const fs::path candidate = fs::path(folder) / "chromium";
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
#endif
}

std::string fileUrl(const fs::path& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (unsigned char c : fs::absolute(path).generic_string()) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            std::string_view("/-_.~").find(static_cast<char>(c)) != std::string_view::npos) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> dumpDom(const fs::path& page, int timeoutSeconds) {
    TempFolder run("orvelle-browser");
    return runChromium(fileUrl(page), "", run / "profile", timeoutSeconds);
}

std::optional<RenderedPage> renderPage(const fs::path& page, const std::string& selector,
                                       int timeoutSeconds) {
    TempFolder run("orvelle-browser");
    const fs::path probe = run / "probe.html";
    writeFile(probe, probePage(fileUrl(page), selector));
    // The probe reads the framed page, which another file URL would keep apart.
    const auto dom =
        runChromium(fileUrl(probe), "--allow-file-access-from-files", run / "profile", timeoutSeconds);
    if (!dom) return std::nullopt;
    const auto begin = dom->find("<pre id=\"out\">");
    const auto end = dom->find("</pre>", begin == std::string::npos ? 0 : begin);
    if (begin == std::string::npos || end == std::string::npos) return std::nullopt;
    std::istringstream lines(dom->substr(begin, end - begin));
    RenderedPage rendered;
    bool counted = false, complete = false;
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("E ", 0) == 0 && line.size() >= 4) {
            rendered.elements.push_back({percentDecoded(line.substr(4)), line[2] == '1'});
        } else if (line.rfind("B ", 0) == 0) {
            rendered.bodyText = percentDecoded(line.substr(2));
        } else if (line.rfind("C ", 0) == 0) {
            std::istringstream counts(line.substr(2));
            counted = static_cast<bool>(counts >> rendered.images >> rendered.scripts >> rendered.eventAttributes >>
                                        rendered.loadedImages);
        } else if (line == "END") {
            complete = true;
        }
    }
    if (!counted || !complete) return std::nullopt;
    return rendered;
}

bool screenshot(const fs::path& page, const fs::path& png, int width, int height, int timeoutSeconds) {
    TempFolder run("orvelle-browser");
    std::error_code ec;
    fs::remove(png, ec);
    const std::string size = "--hide-scrollbars --window-size=" + std::to_string(width) + "," + std::to_string(height);
#ifdef _WIN32
    const std::string target = png.string();
#else
    const std::string target = shellQuoted(fs::absolute(png).string());
#endif
    if (!runChromium(fileUrl(page), size, run / "profile", timeoutSeconds, "--screenshot=" + target)) return false;
    return fs::is_regular_file(png, ec) && fs::file_size(png, ec) > 0;
}

} // namespace orvelle::test
