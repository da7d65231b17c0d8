// CProxy, the base of every camera session. DriverEntry turns each (type,
// sub-code) pair into one call of a group operation here; the base answers
// 5 (not supported) to everything and a derived session overrides what its
// camera offers. Pointer arguments come from the caller unchecked: every
// operation checks the ones it uses.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "device/entry/description_records.h"
#include "device/entry/driver_entry.h"
#include "device/entry/runtime_class.h"
#include "device/entry/session_context.h"
#include "device/imaging/thumbnail_cache.h"

namespace qm::device {

class CProxy {
public:
    static const RuntimeClass classCProxy;

    explicit CProxy(SessionContext& context);
    virtual ~CProxy();
    CProxy(const CProxy&) = delete;
    CProxy& operator=(const CProxy&) = delete;

    virtual const RuntimeClass& runtimeClass() const { return classCProxy; }

    // Connect (type 1): `code` is the caller's opaque value, the picture
    // count goes to `pictureCount` (when given). Close (type 9).
    virtual std::uint8_t Open(void* code, std::uint32_t* pictureCount, DriverProgressProc progress);
    virtual std::uint8_t Close();

    virtual std::string displayName() const;
    virtual std::string versionText() const;

    // What the description records need to know; none for a session that
    // cannot describe its camera.
    virtual std::optional<SessionFacts> facts() const { return std::nullopt; }

    // The operation groups, by DriverEntry type.
    virtual std::uint8_t status(std::uint32_t code, void* out);                          // 2
    virtual std::uint8_t readValue(std::uint32_t code, void* out, void* data);           // 3
    virtual std::uint8_t setValue(std::uint32_t code, void* value);                      // 4
    virtual std::uint8_t size(std::uint32_t code, void* width, void* height);            // 5
    virtual std::uint8_t pictureAttribute(std::uint32_t code, void* picture, void* result);  // 6
    virtual std::uint8_t reserved(std::uint32_t code);                                   // 7
    virtual std::uint8_t action(std::uint32_t code, void* out, void* data);              // 8

    // Busy while a DriverEntry call runs an operation on this session.
    bool busy() const { return busy_ != 0; }
    void setBusy(bool busy) { busy_ = busy ? 1 : 0; }
    bool connected() const { return connected_ != 0; }
    std::uint32_t pictureCount() const { return pictureCount_; }

protected:
    SessionContext& context() const { return context_; }
    ProgressReporter& progress() const { return context_.progress; }
    void setConnected(bool connected) { connected_ = connected ? 1 : 0; }
    void setPictureCount(std::uint32_t count) { pictureCount_ = count; }
    imaging::ThumbnailCache& thumbnailCache() { return thumbnailCache_; }

private:
    SessionContext& context_;
    std::uint32_t busy_ = 0;
    std::uint32_t connected_ = 0;
    // Created with the session; written back to its file when the session ends.
    imaging::ThumbnailCache thumbnailCache_;
    std::uint32_t pictureCount_ = 0;
};

}  // namespace qm::device
