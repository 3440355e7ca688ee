// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/DirectPort.h"

#include <cerrno>
#include <cstring>

#include "port/SignalSafeOff.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define TARPEL_HAS_PORT_IO 1
#endif

namespace tarpel::port {

namespace {
constexpr unsigned long PortCount = 3;  // data, status, control

#ifdef TARPEL_HAS_PORT_IO
// One instruction: safe in a signal handler.
void WriteZeroFromSignal() { ::outb(0x00, DataPort); }
#endif
}  // namespace

std::unique_ptr<DirectPort> DirectPort::Open(std::string& errorMessage) {
#ifdef TARPEL_HAS_PORT_IO
    if (::ioperm(DataPort, PortCount, 1) != 0) {
        const int error = errno;
        errorMessage = error == EPERM
                           ? std::string(Tr("Sin permiso para acceder directamente a los puertos 0x378-0x37A. "
                                            "El acceso directo solo funciona como root; use mejor --board ppdev."))
                           : shell::Fill(Tr("No se puede acceder a los puertos 0x378-0x37A: %1"),
                                         {std::strerror(error)});
        return nullptr;
    }
    RegisterSignalSafeOff(WriteZeroFromSignal);
    return std::unique_ptr<DirectPort>(new DirectPort());
#else
    errorMessage = Tr("El acceso directo a puertos solo existe en procesadores x86; use --board ppdev.");
    return nullptr;
#endif
}

DirectPort::~DirectPort() {
#ifdef TARPEL_HAS_PORT_IO
    RegisterSignalSafeOff(nullptr);
    ::ioperm(DataPort, PortCount, 0);
#endif
}

void DirectPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
#ifdef TARPEL_HAS_PORT_IO
    if (port == DataPort) ::outb(value, port);
#else
    (void)port;
    (void)value;
#endif
}

std::uint8_t DirectPort::DlPortReadPortUchar(std::uint16_t port) {
#ifdef TARPEL_HAS_PORT_IO
    if (port == StatusPort) return ::inb(port);
#else
    (void)port;
#endif
    return 0xFF;
}

}  // namespace tarpel::port
