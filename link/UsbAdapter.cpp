#include "link/UsbAdapter.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kelvarn {

namespace {

#ifdef Q_OS_WIN

// The driver's device under its path, through the Windows device interface.
class WindowsUsbAdapter : public UsbAdapter {
public:
    bool Open(const QString& devicePath) override {
        Close();
        const QByteArray path = devicePath.toLocal8Bit();
        handle_ = CreateFileA(path.constData(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }
    bool Request(int code, const std::array<uint8_t, 4>& in,
                 std::array<uint8_t, 8>& reply) override {
        if (handle_ == INVALID_HANDLE_VALUE) return false;
        std::array<uint8_t, 4> block = in;
        DWORD returned = 0;
        return DeviceIoControl(handle_, DWORD(code), block.data(), DWORD(block.size()),
                               reply.data(), DWORD(reply.size()), &returned, nullptr) != 0;
    }
    void Close() override {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

#else

// The adapter's driver exists only for Windows: here no path opens, so the
// search finds no adapter and every exchange counts as a miss.
class AbsentUsbAdapter : public UsbAdapter {
public:
    bool Open(const QString&) override { return false; }
    bool Request(int, const std::array<uint8_t, 4>&, std::array<uint8_t, 8>&) override {
        return false;
    }
    void Close() override {}
};

#endif

}  // namespace

std::unique_ptr<UsbAdapter> MakePlatformUsbAdapter() {
#ifdef Q_OS_WIN
    return std::make_unique<WindowsUsbAdapter>();
#else
    return std::make_unique<AbsentUsbAdapter>();
#endif
}

}  // namespace kelvarn
