// COM for the calling thread, for as long as the object lives.
#ifndef TARVEXEL_PLATFORM_WIN32_COM_APARTMENT_H
#define TARVEXEL_PLATFORM_WIN32_COM_APARTMENT_H

#include <objbase.h>

// A single-threaded apartment, as the shell asks of its callers: its
// extensions and shortcuts are objects that expect one.
class ComApartment {
 public:
  ComApartment()
      : joined_(SUCCEEDED(CoInitializeEx(nullptr,
                                         COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() {
    if (joined_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  const bool joined_;
};

#endif
