#include "hw/PpdevPort.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarpel::hw {

namespace {

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
            return "No existe el puerto paralelo " + device +
                   ". Cargue los modulos del kernel con: sudo modprobe parport_pc ppdev";
        case EACCES:
            return "Sin permiso para usar " + device + ". Anada su usuario al grupo " + OwningGroup(device) +
                   " (sudo adduser $USER " + OwningGroup(device) + ") y vuelva a iniciar la sesion.";
        case EPERM:
            if (stage == PpdevStage::Open)
                return "Sin permiso para usar " + device + ". Anada su usuario al grupo " + OwningGroup(device) +
                       " y vuelva a iniciar la sesion.";
            [[fallthrough]];
        case EBUSY:
            return "El puerto " + device +
                   " esta ocupado por otro controlador (por ejemplo el modulo lp o un servicio de impresion). "
                   "Descarguelo con: sudo rmmod lp, o detenga el servicio de impresion.";
        default:
            return "No se puede usar el puerto " + device + ": " + std::strerror(error);
    }
}

std::unique_ptr<PpdevPort> PpdevPort::Open(const std::string& device, std::string& errorMessage) {
    const int fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::Open, errno);
        return nullptr;
    }
    // Exclusive access must be asked for before the claim: no other driver may share the lines.
    if (::ioctl(fd, PPEXCL) != 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::Exclusive, errno);
        ::close(fd);
        return nullptr;
    }
    if (::ioctl(fd, PPCLAIM) != 0) {
        errorMessage = PpdevErrorMessage(device, PpdevStage::Claim, errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<PpdevPort>(new PpdevPort(fd));
}

PpdevPort::~PpdevPort() {
    ::ioctl(fd_, PPRELEASE);
    ::close(fd_);
}

void PpdevPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    if (port != DataPort) return;
    unsigned char data = value;
    ::ioctl(fd_, PPWDATA, &data);
}

std::uint8_t PpdevPort::DlPortReadPortUchar(std::uint16_t port) {
    if (port != StatusPort) return 0xFF;
    unsigned char status = 0xFF;
    ::ioctl(fd_, PPRSTATUS, &status);
    return status;
}

}  // namespace tarpel::hw
