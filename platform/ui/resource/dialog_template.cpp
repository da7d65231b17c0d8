#include "platform/ui/resource/dialog_template.h"

#include "platform/system/byte_order.h"

namespace qm::ui {
namespace {

class Writer {
public:
    void u16(std::uint16_t v)
    {
        std::uint8_t b[2];
        qm::sys::writeLe16(b, v);
        out.insert(out.end(), b, b + 2);
    }
    void u32(std::uint32_t v)
    {
        std::uint8_t b[4];
        qm::sys::writeLe32(b, v);
        out.insert(out.end(), b, b + 4);
    }
    void str(const std::string& s)
    {
        const std::size_t n = s.size() > 0xFFFF ? 0xFFFF : s.size();
        u16(std::uint16_t(n));
        out.insert(out.end(), s.begin(), s.begin() + long(n));
    }
    std::vector<std::uint8_t> out;
};

class Reader {
public:
    Reader(const std::uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    bool u16(std::uint16_t& v)
    {
        if (n_ - pos_ < 2 || pos_ > n_)
            return false;
        v = qm::sys::readLe16(p_ + pos_);
        pos_ += 2;
        return true;
    }
    bool u32(std::uint32_t& v)
    {
        if (n_ - pos_ < 4 || pos_ > n_)
            return false;
        v = qm::sys::readLe32(p_ + pos_);
        pos_ += 4;
        return true;
    }
    bool i16(short& v)
    {
        std::uint16_t u;
        if (!u16(u))
            return false;
        v = short(std::int16_t(u));
        return true;
    }
    bool str(std::string& s)
    {
        std::uint16_t len;
        if (!u16(len) || n_ - pos_ < len)
            return false;
        s.assign(reinterpret_cast<const char*>(p_ + pos_), len);
        pos_ += len;
        return true;
    }

private:
    const std::uint8_t* p_;
    std::size_t n_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<std::uint8_t> serializeDialogTemplate(const DialogTemplate& t)
{
    Writer w;
    w.u32(t.style);
    w.u32(t.exStyle);
    w.u16(std::uint16_t(t.x));
    w.u16(std::uint16_t(t.y));
    w.u16(std::uint16_t(t.cx));
    w.u16(std::uint16_t(t.cy));
    w.u16(t.pointSize);
    w.u16(std::uint16_t(t.items.size()));
    w.str(t.caption);
    w.str(t.className);
    w.str(t.fontName);
    for (const DialogItem& item : t.items) {
        w.u32(item.style);
        w.u32(item.exStyle);
        w.u16(std::uint16_t(item.x));
        w.u16(std::uint16_t(item.y));
        w.u16(std::uint16_t(item.cx));
        w.u16(std::uint16_t(item.cy));
        w.u32(std::uint32_t(item.id));
        w.str(item.className);
        w.str(item.text);
    }
    return w.out;
}

std::optional<DialogTemplate> parseDialogTemplate(const std::uint8_t* data, std::size_t size)
{
    if (!data)
        return std::nullopt;
    Reader r(data, size);
    DialogTemplate t;
    std::uint16_t count = 0;
    if (!r.u32(t.style) || !r.u32(t.exStyle) || !r.i16(t.x) || !r.i16(t.y) || !r.i16(t.cx) || !r.i16(t.cy) ||
        !r.u16(t.pointSize) || !r.u16(count) || !r.str(t.caption) || !r.str(t.className) || !r.str(t.fontName))
        return std::nullopt;
    for (std::uint16_t i = 0; i < count; ++i) {
        DialogItem item;
        std::uint32_t id = 0;
        if (!r.u32(item.style) || !r.u32(item.exStyle) || !r.i16(item.x) || !r.i16(item.y) || !r.i16(item.cx) ||
            !r.i16(item.cy) || !r.u32(id) || !r.str(item.className) || !r.str(item.text))
            return std::nullopt;
        item.id = int(std::int32_t(id));
        t.items.push_back(std::move(item));
    }
    return t;
}

}  // namespace qm::ui
