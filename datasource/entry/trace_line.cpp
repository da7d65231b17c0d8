#include "datasource/entry/trace_line.h"

#include <string_view>

namespace qm::ds {

using namespace qm::twain;

namespace {

struct Name {
    unsigned value;
    std::string_view text;
};

constexpr Name kDataTypes[] = {
    {DAT_NULL, "DAT_NULL,"},
    {DAT_CAPABILITY, "DAT_CAPABILITY,"},
    {DAT_EVENT, "DAT_EVENT,"},
    {DAT_IDENTITY, "DAT_IDENTITY,"},
    {DAT_PARENT, "DAT_PARENT,"},
    {DAT_PENDINGXFERS, "DAT_PENDINGXFERS,"},
    {DAT_SETUPMEMXFER, "DAT_SETUPMEMXFER,"},
    {DAT_SETUPFILEXFER, "DAT_SETUPFILEXFER,"},
    {DAT_STATUS, "DAT_STATUS,"},
    {DAT_USERINTERFACE, "DAT_USERINTERFACE,"},
    {DAT_XFERGROUP, "DAT_XFERGROUP,"},
    {DAT_TWUNKIDENTITY, "DAT_TWUNKIDENTITY,"},
    {DAT_IMAGEINFO, "DAT_IMAGEINFO,"},
    {DAT_IMAGELAYOUT, "DAT_IMAGELAYOUT,"},
    {DAT_IMAGEMEMXFER, "DAT_IMAGEMEMXFER,"},
    {DAT_IMAGENATIVEXFER, "DAT_IMAGENATIVEXFER,"},
    {DAT_IMAGEFILEXFER, "DAT_IMAGEFILEXFER,"},
    {DAT_CIECOLOR, "DAT_CIECOLOR,"},
    {DAT_GRAYRESPONSE, "DAT_GRAYRESPONSE,"},
    {DAT_RGBRESPONSE, "DAT_RGBRESPONSE,"},
    {DAT_JPEGCOMPRESSION, "DAT_JPEGCOMPRESSION,"},
    {DAT_PALETTE8, "DAT_PALETTE8,"},
    {DAT_CUSTOMBASE, "DAT_CUSTOMBASE,"},
};

constexpr Name kMessages[] = {
    {MSG_NULL, "MSG_NULL"},
    {MSG_GET, "MSG_GET"},
    {MSG_GETCURRENT, "MSG_GETCURRENT"},
    {MSG_GETDEFAULT, "MSG_GETDEFAULT"},
    {MSG_GETFIRST, "MSG_GETFIRST"},
    {MSG_GETNEXT, "MSG_GETNEXT"},
    {MSG_SET, "MSG_SET"},
    {MSG_RESET, "MSG_RESET"},
    {MSG_QUERYSUPPORT, "MSG_QUERYSUPPORT"},
    {MSG_XFERREADY, "MSG_XFERREADY"},
    {MSG_CLOSEDSREQ, "MSG_CLOSEDSREQ"},
    {MSG_CLOSEDSOK, "MSG_CLOSEDSOK"},
    {MSG_DEVICEEVENT, "MSG_DEVICEEVENT"},
    {MSG_CHECKSTATUS, "MSG_CHECKSTATUS"},
    {MSG_OPENDSM, "MSG_OPENDSM"},
    {MSG_CLOSEDSM, "MSG_CLOSEDSM"},
    {MSG_OPENDS, "MSG_OPENDS"},
    {MSG_CLOSEDS, "MSG_CLOSEDS"},
    {MSG_USERSELECT, "MSG_USERSELECT"},
    {MSG_DISABLEDS, "MSG_DISABLEDS"},
    {MSG_ENABLEDS, "MSG_ENABLEDS"},
    {MSG_ENABLEDSUIONLY, "MSG_ENABLEDSUIONLY"},
    {MSG_PROCESSEVENT, "MSG_PROCESSEVENT"},
    {MSG_ENDXFER, "MSG_ENDXFER"},
    {MSG_CUSTOMBASE, "MSG_CUSTOMBASE"},
};

template <std::size_t N>
std::string_view lookup(const Name (&names)[N], unsigned value)
{
    for (const Name& name : names) {
        if (name.value == value)
            return name.text;
    }
    return {};
}

}  // namespace

std::string composeTraceLine(TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, std::int32_t state)
{
    std::string line = "Twain::DS_Entry(";
    if (group == DG_CONTROL)
        line += "DG_CONTROL,";
    else if (group == DG_IMAGE)
        line += "DG_IMAGE,";
    line += lookup(kDataTypes, dataType);
    line += lookup(kMessages, message);
    if (state >= 100 && state <= 700 && state % 100 == 0) {
        line += ") State";
        line += char('0' + state / 100);
        line += " \n";
    }
    return line;
}

}  // namespace qm::ds
