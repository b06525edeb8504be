// ComObjects.cpp - each thread joins COM once, on first use, and leaves it when it ends.
#include "platform/win32/ComObjects.h"

namespace vexo::platform::win32 {
namespace {

class Apartment {
  public:
    Apartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~Apartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize(); // S_FALSE too: each success is counted
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    // RPC_E_CHANGED_MODE: the thread is in the multithreaded apartment, which serves as well.
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

  private:
    HRESULT result_;
};

} // namespace

bool EnsureComApartment() {
    thread_local Apartment apartment;
    return apartment.Usable();
}

} // namespace vexo::platform::win32
