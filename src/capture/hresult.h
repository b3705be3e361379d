// Result codes of the capture engine and its graph backend, in the platform's HRESULT style, so a
// failure report can show the code as an upper-case hexadecimal number (E_FAIL reads 80004005).
#pragma once
#include <cstdint>
#include <string>

namespace wellvue {

using HResult = std::int32_t;

constexpr HResult S_OK = 0;
constexpr HResult S_FALSE = 1;
constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001u);
constexpr HResult E_NOINTERFACE = static_cast<HResult>(0x80004002u);
constexpr HResult E_POINTER = static_cast<HResult>(0x80004003u);
constexpr HResult E_ABORT = static_cast<HResult>(0x80004004u);
constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
constexpr HResult E_UNEXPECTED = static_cast<HResult>(0x8000FFFFu);
constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057u);
// Backend codes for what the platform reports about devices and files.
constexpr HResult VFW_E_NOT_FOUND = static_cast<HResult>(0x80040216u);
constexpr HResult VFW_E_CANNOT_CONNECT = static_cast<HResult>(0x80040217u);
constexpr HResult VFW_E_NO_CAPTURE_HARDWARE = static_cast<HResult>(0x80040218u);

// File system failures, as the platform codes them (HRESULT of the Win32 error).
constexpr HResult E_ACCESSDENIED = static_cast<HResult>(0x80070005u);
constexpr HResult E_WRITE_FAULT = static_cast<HResult>(0x8007001Du);
constexpr HResult E_FILE_EXISTS = static_cast<HResult>(0x80070050u);
constexpr HResult E_DISK_FULL = static_cast<HResult>(0x80070070u);

// The code of a failed POSIX file call's errno.
HResult hresult_from_errno(int err);

constexpr bool succeeded(HResult hr) { return hr >= 0; }
constexpr bool failed(HResult hr) { return hr < 0; }

// Upper-case hexadecimal of the code taken as unsigned 32 bits, no leading zeros ("80004005", "0").
std::string hresult_hex(HResult hr);

}  // namespace wellvue
