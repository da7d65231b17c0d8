#include "simulators/stillcam/protocol/commands.h"

#include <array>
#include <cctype>
#include <string>

#include "platform/system/byte_order.h"
#include "simulators/stillcam/still_camera.h"

namespace qm::stillcam {
namespace {

constexpr std::array<CommandShape, 11> kCommands = {{
    {CMD_STATUS, "CMD_STATUS", "status", 2, 2},
    {CMD_CAMERA_INFO, "CMD_CAMERA_INFO", "camera-info", 2, 2},
    {CMD_SET_PARAMETER, "CMD_SET_PARAMETER", "set-parameter", 9, 9},
    {CMD_SET_SPEED, "CMD_SET_SPEED", "set-speed", 3, 3},
    {CMD_PICTURE_INFO, "CMD_PICTURE_INFO", "picture-info", 4, 4},
    {CMD_READ_THUMBNAIL, "CMD_READ_THUMBNAIL", "read-thumbnail", 4, 5},
    {CMD_READ_PICTURE, "CMD_READ_PICTURE", "read-picture", 4, 5},
    {CMD_WRITE_BLOCK, "CMD_WRITE_BLOCK", "write-block", 5, kMaxRequestLength},
    {CMD_ERASE, "CMD_ERASE", "erase", 4, 4},
    {CMD_CAPTURE, "CMD_CAPTURE", "capture", 2, 2},
    {CMD_BEGIN_UPLOAD, "CMD_BEGIN_UPLOAD", "begin-upload", 66, 66},
}};

std::string normalised(std::string_view name)
{
    std::string out;
    for (char c : name)
        out.push_back(c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(c))));
    if (out.starts_with("cmd-"))
        out.erase(0, 4);
    return out;
}

}  // namespace

const CommandShape* findCommand(std::uint8_t code)
{
    for (const CommandShape& shape : kCommands)
        if (shape.code == code)
            return &shape;
    return nullptr;
}

const CommandShape* findCommand(std::string_view name)
{
    std::string wanted = normalised(name);
    for (const CommandShape& shape : kCommands)
        if (shape.shortName == wanted)
            return &shape;
    return nullptr;
}

std::string describeRequest(const Request& request)
{
    const CommandShape* shape = findCommand(request.code());
    if (shape == nullptr)
        return "unknown command " + std::to_string(request.code());
    std::string text(shape->name);
    auto p = request.parameters();
    auto number = [&](std::size_t at) { return std::to_string(sys::readLe16(&p[at])); };
    switch (request.code()) {
    case CMD_SET_PARAMETER:
        if (p.size() >= 7)
            text += " id " + std::to_string(p[0]) + " value " + std::to_string(p[1]);
        break;
    case CMD_SET_SPEED:
        if (!p.empty())
            text += " index " + std::to_string(p[0]);
        break;
    case CMD_PICTURE_INFO:
    case CMD_ERASE:
        if (p.size() >= 2)
            text += p[0] == 0 && p[1] == 0 && request.code() == CMD_ERASE ? " all pictures" : " picture " + number(0);
        break;
    case CMD_READ_THUMBNAIL:
    case CMD_READ_PICTURE:
        if (p.size() == 3)
            text += " picture " + number(1) + " first block";
        else if (p.size() == 2)
            text += " state " + std::to_string(p[0]) + " sequence " + std::to_string(p[1]);
        break;
    case CMD_WRITE_BLOCK:
        if (p.size() >= 2)
            text += " block " + std::to_string(p[0]) + (p[1] == 2 ? " (last)" : "") + ", " +
                    std::to_string(p.size() - 2) + " bytes";
        break;
    case CMD_BEGIN_UPLOAD:
        if (p.size() >= 8)
            text += " " + std::to_string(sys::readLe32(&p[4])) + " bytes";
        break;
    default:
        break;
    }
    return text;
}

}  // namespace qm::stillcam
