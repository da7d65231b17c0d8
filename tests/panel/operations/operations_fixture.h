// The camera operations on the real browser, the real device module and a
// simulated still camera (the browser tests' fixture underneath): picking
// pictures, what the camera heard, what the progress bar said while it
// heard it, and screenshots of the question boxes as they stand.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "tests/panel/browser/browser_fixture.h"

namespace qm::panel::test {

class OperationsTest : public BrowserTest {
protected:
    ~OperationsTest() override;

    // A model-16 camera with `pictures` generated pictures on USB, adjusted
    // as the test asks, then connected and loaded as the panel's entry does.
    void startWith(unsigned pictures, const std::function<void(stillcam::StillCameraConfig&)>& adjust = {});
    // The same without connecting: the test prepares the camera first and
    // then calls connectNow().
    void prepareWith(unsigned pictures, const std::function<void(stillcam::StillCameraConfig&)>& adjust = {});
    void connectNow();

    // Selects these pictures (all in view): a plain click on the first, Ctrl
    // clicks on the rest.
    void select(std::initializer_list<int> numbers);

    // Requests of one command the camera heard since the start.
    std::size_t heard(std::uint8_t command);
    // The picture numbers of the erase requests, in order.
    std::vector<unsigned> erasedNumbers();
    // Picture keys in the camera's order: which picture is which.
    std::vector<std::uint32_t> cameraKeys();

    // From now on, the progress bar's text each time the camera hears
    // `command` (the browser waits for the camera's answer meanwhile).
    void watchProgressAt(std::uint8_t command);
    std::vector<std::string> progressTexts() const;

    // The next message box is photographed (the box, and the browser
    // behind it) and then answered with a click on `button`; `then` runs
    // right after that click, while the box is still up.
    void answerWithScreenshot(int button, const std::string& name, std::function<void()> then = {});

    // The grid shows each picture's own thumbnail in its cell (pictures in
    // view, landscape thumbnails), as the pixels on screen tell.
    bool cellsShowTheirPictures();

    // Button states the browser shows.
    bool showsConnected();
    bool showsDisconnected();

    // Queued input, handled at the next pump (or by a loop that pumps).
    void queueClick(int id);

private:
    bool listening_ = false;
    mutable std::mutex mutex_;
    std::vector<std::string> progressTexts_;
};

}  // namespace qm::panel::test
