// SPDX-License-Identifier: GPL-3.0-or-later
// Reads, writes, queue purges and line status of an open port.
#include <cerrno>

#include "serial/com_port.h"

namespace serial {
namespace {
// What a call on a port without an open device reports as its OS cause.
constexpr int32_t kNoDevice = EBADF;
}  // namespace

TComErrors LineErrorsFromWord(uint32_t word, bool parity_checked) {
    TComErrors errors;
    if (word & platform::kCeFrame) errors.Include(errFrame);
    if ((word & platform::kCeRxParity) && parity_checked) errors.Include(errRxParity);
    if (word & platform::kCeOverrun) errors.Include(errOverrun);
    if (word & platform::kCeBreak) errors.Include(errBreak);
    if (word & platform::kCeIoe) errors.Include(errIO);
    if (word & platform::kCeMode) errors.Include(errMode);
    if (word & platform::kCeRxOver) errors.Include(errRxOverflow);
    if (word & platform::kCeTxFull) errors.Include(errTxFull);
    return errors;
}

TLineSignals LineSignalsFromStatus(uint32_t status) {
    TLineSignals signals;
    if (status & platform::kMsCtsOn) signals.Include(lsCTS);
    if (status & platform::kMsDsrOn) signals.Include(lsDSR);
    if (status & platform::kMsRingOn) signals.Include(lsRing);
    if (status & platform::kMsRlsdOn) signals.Include(lsRLSD);
    return signals;
}

int32_t TCustomComPort::SendText(const std::string& Str) {
    TPendingIO io;
    if (!Str.empty()) StartWrite(Str.data(), static_cast<int32_t>(Str.size()), &io);
    return WaitForIO(&io);
}

int32_t TCustomComPort::ReceiveText(std::string& Str, int32_t Count) {
    Str.clear();
    if (Count <= 0) return 0;
    Str.resize(static_cast<size_t>(Count));
    TPendingIO io;
    try {
        StartRead(Str.data(), Count, &io);
        const int32_t got = WaitForIO(&io);
        Str.resize(static_cast<size_t>(got));
        return got;
    } catch (...) {
        Str.clear();
        throw;
    }
}

int32_t TCustomComPort::ReceiveBytes(char* Buffer, int32_t Count) {
    if (Count <= 0) return 0;
    TPendingIO io;
    StartRead(Buffer, Count, &io);
    return WaitForIO(&io);
}

int32_t TCustomComPort::StartWrite(const char* Buffer, int32_t Count, TPendingIO* IO) {
    if (!IO) throw EComPort(CError_InvalidAsync);
    IO->Kind = 0;
    IO->Data.assign(Buffer, Count > 0 ? static_cast<size_t>(Count) : 0);
    IO->Size = Count;
    IO->Started = true;
    IO->Transferred = 0;
    IO->Error = 0;
    if (!device_) {
        IO->Error = kNoDevice;
        throw EComPort(CError_WriteFailed, kNoDevice);
    }
    try {
        IO->Transferred = device_->Write(Buffer, Count);
    } catch (const platform::SerialDeviceError& e) {
        IO->Error = e.ErrorNumber();
        throw EComPort(CError_WriteFailed, e.ErrorNumber());
    }
    ForEachLink([&](TComLink* link) {
        if (link->TxActivity) link->TxActivity(this, true);
    });
    return IO->Transferred;
}

int32_t TCustomComPort::StartRead(char* Buffer, int32_t Count, TPendingIO* IO) {
    if (!IO) throw EComPort(CError_InvalidAsync);
    IO->Kind = 1;
    IO->Started = true;
    IO->Transferred = 0;
    IO->Error = 0;
    if (!device_) {
        IO->Error = kNoDevice;
        throw EComPort(CError_ReadFailed, kNoDevice);
    }
    try {
        IO->Transferred = device_->Read(Buffer, Count);
    } catch (const platform::SerialDeviceError& e) {
        IO->Error = e.ErrorNumber();
        throw EComPort(CError_ReadFailed, e.ErrorNumber());
    }
    return IO->Transferred;
}

int32_t TCustomComPort::WaitForIO(TPendingIO* IO) {
    if (!IO) throw EComPort(CError_InvalidAsync);
    if (IO->Error != 0) throw EComPort(IO->Kind == 0 ? CError_WriteFailed : CError_ReadFailed, IO->Error);
    if (IO->Started && IO->Kind == 1 && PendingInputCount() == 0) {
        ForEachLink([&](TComLink* link) {
            if (link->RxActivity) link->RxActivity(this, false);
        });
    }
    if (!IO->Data.empty()) {
        ForEachLink([&](TComLink* link) {
            if (link->DataSent) link->DataSent(this, IO->Data.data(), IO->Size);
        });
    }
    return IO->Transferred;
}

void TCustomComPort::PurgeBuffers(bool Input, bool Output) {
    uint32_t flags = 0;
    if (Input) flags |= platform::kPurgeRxClear;
    if (Output) flags |= platform::kPurgeTxClear;
    if (flags == 0) return;
    if (!device_) throw EComPort(CError_PurgeFailed, kNoDevice);
    try {
        device_->PurgeComm(flags);
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_PurgeFailed, e.ErrorNumber());
    }
}

void TCustomComPort::AbortPendingIO() {
    int32_t error = 0;
    if (!device_) {
        error = kNoDevice;
    } else {
        try {
            device_->PurgeComm(platform::kPurgeTxAbort | platform::kPurgeRxAbort);
        } catch (const platform::SerialDeviceError& e) {
            error = e.ErrorNumber();
        }
    }
    if (error == 0) return;
    if (IsDestroying() || (ComponentState() & platform::csFreeNotification) != 0) return;
    throw EComPort(CError_PurgeFailed, error);
}

int32_t TCustomComPort::PendingInputCount() {
    if (!device_) throw EComPort(CError_ClearComFailed, kNoDevice);
    int32_t count = 0;
    try {
        device_->ClearCommError(nullptr, &count);
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_ClearComFailed, e.ErrorNumber());
    }
    return count;
}

TComErrors TCustomComPort::TakeLineErrors() {
    if (!device_) throw EComPort(CError_ClearComFailed, kNoDevice);
    uint32_t word = 0;
    try {
        device_->ClearCommError(&word, nullptr);
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_ClearComFailed, e.ErrorNumber());
    }
    return LineErrorsFromWord(word, parity_->Check());
}

TLineSignals TCustomComPort::LineSignals() {
    if (!device_) throw EComPort(CError_ModemStatFailed, kNoDevice);
    uint32_t status = 0;
    try {
        status = device_->GetCommModemStatus();
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_ModemStatFailed, e.ErrorNumber());
    }
    return LineSignalsFromStatus(status);
}

}  // namespace serial
