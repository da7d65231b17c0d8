// A scripted camera session for the tests of the entry layer: each fake
// class records what it was asked and answers from a shared script.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/entry/proxy.h"

namespace qm::device::test {

struct FakeScript {
    std::vector<std::string> log;
    std::vector<std::uint8_t> openResults;  // consumed in order; 0 when exhausted
    int alive = 0;
    std::function<std::uint8_t(std::uint32_t type, std::uint32_t code, void* out, void* data)> onOperation;
    std::optional<SessionFacts> facts;

    std::uint8_t nextOpen()
    {
        if (openResults.empty())
            return kDriverFailure;
        const std::uint8_t result = openResults.front();
        openResults.erase(openResults.begin());
        return result;
    }
};

FakeScript& script();

template <int N>
class FakeSession : public CProxy {
public:
    static const RuntimeClass classRecord;

    explicit FakeSession(SessionContext& context) : CProxy(context) { ++script().alive; }
    ~FakeSession() override { --script().alive; }
    const RuntimeClass& runtimeClass() const override { return classRecord; }

    std::uint8_t Open(void* code, std::uint32_t* count, DriverProgressProc progress) override
    {
        script().log.push_back("open " + std::to_string(N));
        lastCode = code;
        lastProgress = progress;
        const std::uint8_t result = script().nextOpen();
        if (result == kDriverSuccess && count != nullptr)
            *count = 7;
        setConnected(result == kDriverSuccess);
        return result;
    }
    std::uint8_t Close() override
    {
        script().log.push_back("close " + std::to_string(N));
        return CProxy::Close();
    }
    std::optional<SessionFacts> facts() const override { return script().facts; }

    std::uint8_t status(std::uint32_t code, void* out) override { return run(2, code, out, nullptr); }
    std::uint8_t readValue(std::uint32_t code, void* out, void* data) override { return run(3, code, out, data); }
    std::uint8_t setValue(std::uint32_t code, void* value) override { return run(4, code, value, nullptr); }
    std::uint8_t size(std::uint32_t code, void* w, void* h) override { return run(5, code, w, h); }
    std::uint8_t pictureAttribute(std::uint32_t code, void* p, void* r) override { return run(6, code, p, r); }
    std::uint8_t action(std::uint32_t code, void* out, void* data) override { return run(8, code, out, data); }

    void* lastCode = nullptr;
    DriverProgressProc lastProgress = nullptr;

private:
    std::uint8_t run(std::uint32_t type, std::uint32_t code, void* out, void* data)
    {
        script().log.push_back(std::to_string(N) + ":" + std::to_string(type) + "/" + std::to_string(code));
        return script().onOperation ? script().onOperation(type, code, out, data) : kDriverSuccess;
    }
};

template <int N>
std::unique_ptr<CProxy> createFake(SessionContext& context)
{
    return std::make_unique<FakeSession<N>>(context);
}

template <int N>
const RuntimeClass FakeSession<N>::classRecord{"FakeSession", &CProxy::classCProxy, &createFake<N>};

}  // namespace qm::device::test
