// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/PpdevPort.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "port/SignalSafeOff.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::port {

namespace {

// The open port's descriptor and call, for the signal handler's write of 0x00. Only one ppdev
// port is open in a run.
std::atomic<int> signalFd{-1};
std::atomic<PpdevPort::IoctlCall> signalIoctl{nullptr};

void WriteZeroFromSignal() {
    const int fd = signalFd.load();
    const PpdevPort::IoctlCall call = signalIoctl.load();
    if (fd < 0 || !call) return;
    unsigned char zero = 0;
    call(fd, PPWDATA, &zero);
}

std::string OwningGroup(const std::string& device) {
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) return "lp";
    if (const group* owner = ::getgrgid(info.st_gid)) return owner->gr_name;
    return "lp";
}

}  // namespace

std::string PpdevErrorMessage(const std::string& device, PpdevStage stage, int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return shell::Fill(Tr("No existe el puerto paralelo %1. Cargue los modulos del kernel con: sudo modprobe "
                                  "parport_pc ppdev"),
                               {device});
        case EACCES:
            return shell::Fill(Tr("Sin permiso para usar %1. Anada su usuario al grupo %2 (sudo adduser $USER %2) y "
                                  "vuelva a iniciar la sesion."),
                               {device, OwningGroup(device)});
        case EPERM:
            if (stage == PpdevStage::Open)
                return shell::Fill(Tr("Sin permiso para usar %1. Anada su usuario al grupo %2 y vuelva a iniciar la "
                                      "sesion."),
                                   {device, OwningGroup(device)});
            [[fallthrough]];
        case EBUSY:
            return shell::Fill(Tr("El puerto %1 esta ocupado por otro controlador (por ejemplo el modulo lp o un "
                                  "servicio de impresion). Descarguelo con: sudo rmmod lp, o detenga el servicio de "
                                  "impresion."),
                               {device});
        default:
            return shell::Fill(Tr("No se puede usar el puerto %1: %2"), {device, std::strerror(error)});
    }
}

int PpdevPort::SystemIoctl(int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); }

std::unique_ptr<PpdevPort> PpdevPort::Open(const std::string& device, std::string& errorMessage, IoctlCall call) {
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::Open, errno);
        return nullptr;
    }
    // Exclusive access must be asked for before the claim: no other driver may share the lines.
    if (call(fd, PPEXCL, nullptr) != 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::Exclusive, errno);
        ::close(fd);
        return nullptr;
    }
    if (call(fd, PPCLAIM, nullptr) != 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::Claim, errno);
        ::close(fd);
        return nullptr;
    }
    // Another program may have left a bidirectional port reading (data lines floating): the
    // board's supply and clock come from these lines, so they are set to drive, not trusted.
    int forward = 0;
    if (call(fd, PPDATADIR, &forward) != 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::DataDirection, errno);
        call(fd, PPRELEASE, nullptr);
        ::close(fd);
        return nullptr;
    }
    signalFd.store(fd);
    signalIoctl.store(call);
    RegisterSignalSafeOff(WriteZeroFromSignal);
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd, device, call));
}

PpdevPort::~PpdevPort() {
    if (signalFd.load() == fd_) {
        RegisterSignalSafeOff(nullptr);
        signalFd.store(-1);
    }
    ioctl_(fd_, PPRELEASE, nullptr);
    ::close(fd_);
}

void PpdevPort::RecordFailure(const char* message, int error) {
    if (!failure_.empty()) return;
    failure_ = shell::Fill(message, {device_, std::strerror(error)});
}

void PpdevPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    if (port != DataPort) return;
    unsigned char data = value;
    if (ioctl_(fd_, PPWDATA, &data) != 0)
        RecordFailure(Tr("Fallo al escribir en el puerto %1: %2. La orden se ha detenido; compruebe el puerto y "
                         "desconecte la placa si sigue alimentada."),
                      errno);
}

std::uint8_t PpdevPort::DlPortReadPortUchar(std::uint16_t port) {
    if (port != StatusPort) return 0xFF;
    unsigned char status = 0xFF;
    if (ioctl_(fd_, PPRSTATUS, &status) != 0)
        RecordFailure(Tr("Fallo al leer el estado del puerto %1: %2. La orden se ha detenido; compruebe el puerto "
                         "y desconecte la placa si sigue alimentada."),
                      errno);
    return status;
}

}  // namespace tarpel::port
