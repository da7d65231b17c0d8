// The camera's end of a serial line: a pseudo-terminal. The host opens the
// slave (through W/dosdevices/comN) and sets its line with termios; the
// camera reads and writes the master and keeps a slave descriptor of its own,
// which keeps the line alive between host opens and shows the settings the
// host applied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qm::stillcam {

class PtyLine {
public:
    static std::unique_ptr<PtyLine> open(std::string* error);
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    struct HostLine {
        std::uint32_t rate = 0;      // bit/s; 0 when the speed is not a standard one
        bool eightNoneOne = false;   // 8 data bits, no parity, one stop bit
    };
    std::optional<HostLine> hostLine() const;

private:
    PtyLine(int master, int slave, std::string slavePath);

    int master_;
    int slave_;
    std::string slavePath_;
};

// W/dosdevices/comN as a link to the pty slave. The link is replaced when it
// exists and removed again only while it still points at this line.
class DosDeviceLink {
public:
    DosDeviceLink() = default;
    ~DosDeviceLink() { remove(); }
    DosDeviceLink(const DosDeviceLink&) = delete;
    DosDeviceLink& operator=(const DosDeviceLink&) = delete;

    bool create(const std::string& windowsDir, int port, const std::string& target, std::string* error);
    void remove();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string target_;
};

}  // namespace qm::stillcam
