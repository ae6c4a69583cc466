#include "sim/SimBench.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "sim/CellModel.h"
#include "sim/Keithley2000Sim.h"
#include "sim/Keithley2401Sim.h"
#include "sim/PrologixSim.h"
#include "sim/PseudoTerminal.h"

#ifdef ZK_SIM_PORT_LIST
#include "transport/CommPortList.h"
#endif

namespace sim {

namespace {

// 10 bits per byte at 9600 baud.
constexpr auto kByteTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / 9600);
constexpr auto kMaxWait = std::chrono::milliseconds(50);

}  // namespace

struct Bench::Impl {
  explicit Impl(BenchOptions o);

  GpibInstrument* Lookup(int address);
  void Emit(std::string_view bytes);
  void AdvanceCell(TimePoint now) const;
  void Run();
  void Iterate(TimePoint now);
  void ReadClient(TimePoint now);
  void WriteClient(TimePoint now);
  void Vanish();
  bool Reappear();
  void Wake() const;

  BenchOptions options;
  FaultSet faults;
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  mutable CellModel cell;
  mutable TimePoint cellTime;
  bool cellRunning = false;
  TimePoint powerOn;
  std::unique_ptr<Keithley2401Sim> smu;
  std::unique_ptr<Keithley2000Sim> dmm;
  std::unique_ptr<PrologixSim> controller;

  PseudoTerminal pty;
  int wakeFd = -1;
  std::thread thread;
  bool running = false, stopRequested = false, vanishRequested = false, vanished = false;
  std::string devicePath;
  int comNumber = 0;

  std::string received;
  bool clientOpen = false;
  std::string output;   // bytes for the client not yet written
  size_t dueBytes = 0;  // leading bytes of output whose line time has passed
  TimePoint nextByteDue;
  TimePoint loopNow;
};

Bench::Impl::Impl(BenchOptions o)
    : options(std::move(o)), cell(options.Cell), cellTime(Clock::now()), powerOn(Clock::now()) {
  InstrumentContext context;
  context.Cell = &cell;
  context.Faults = &faults;
  context.SpeedFactor = options.SpeedFactor;
  context.SlowMeasurementMs = options.SlowMeasurementMs;
  context.PowerOn = powerOn;
  smu = std::make_unique<Keithley2401Sim>(context);
  smu->SetRequiredEos(options.SmuRequiredEos);
  dmm = std::make_unique<Keithley2000Sim>(context, options.ScannerCardFitted);
  dmm->SetRequiredEos(options.DmmRequiredEos);
  cell.SetSource(smu->Source());
  controller = std::make_unique<PrologixSim>([this](int a) { return Lookup(a); },
                                             [this](std::string_view b) { Emit(b); }, &faults);
}

GpibInstrument* Bench::Impl::Lookup(int address) {
  if (options.SmuPresent && options.SmuAddress >= 0 && address == options.SmuAddress &&
      !faults.On(Fault::SmuSilent))
    return smu.get();
  if (options.DmmPresent && options.DmmAddress >= 0 && address == options.DmmAddress &&
      !faults.On(Fault::DmmSilent))
    return dmm.get();
  return nullptr;
}

void Bench::Impl::Emit(std::string_view bytes) {
  // With no client on the port the bytes are lost, as on a closed serial port.
  if (!clientOpen || vanished || bytes.empty()) return;
  if (output.empty()) nextByteDue = loopNow + Scaled(kByteTime);
  output.append(bytes);
}

void Bench::Impl::AdvanceCell(TimePoint now) const {
  if (now > cellTime) {
    cell.Advance(std::chrono::duration<double>(now - cellTime).count());
    cellTime = now;
  }
}

void Bench::Impl::Wake() const {
  if (wakeFd >= 0) {
    std::uint64_t one = 1;
    ssize_t r = write(wakeFd, &one, sizeof one);
    (void)r;
  }
}

void Bench::Impl::Vanish() {
  pty.Close();
  vanished = true;
  output.clear();
  dueBytes = 0;
#ifdef ZK_SIM_PORT_LIST
  if (comNumber) TCommPortList::UnregisterPort(devicePath);
#endif
}

// A new device node (a new pseudo-terminal), in the port list under the number the old one had
// when that is free.
bool Bench::Impl::Reappear() {
  if (!pty.Open(nullptr)) return false;
  vanished = false;
  clientOpen = false;
  devicePath = pty.SlavePath();
#ifdef ZK_SIM_PORT_LIST
  if (comNumber) comNumber = TCommPortList::RegisterPort(devicePath);
#endif
  return true;
}

void Bench::Impl::ReadClient(TimePoint now) {
  // Bytes first, then the open/close events: every open that wrote these bytes is then among
  // the events, so a reply to them is never taken for a reply a departed client left unread.
  std::string incoming;
  char buf[4096];
  for (;;) {
    ssize_t n = read(pty.MasterFd(), buf, sizeof buf);
    if (n <= 0) break;
    incoming.append(buf, static_cast<size_t>(n));
  }
  PseudoTerminal::ClientEvents events = pty.ReadClientEvents();
  if (events.Closed) {
    // A client left. What it did not read goes with it, unless another client still holds
    // the port (a second open that gave up must not take the first client's reply).
    bool reopened = events.Open;
    bool held = reopened;
    if (!reopened) {
      held = pty.ClientHoldsSlave();
      // A client that opened after the close, and that the look-up may have seen, has its
      // open event queued by now.
      PseudoTerminal::ClientEvents later = pty.ReadClientEvents();
      if (later.Open)
        reopened = held = true;
      else if (later.Closed)
        held = pty.ClientHoldsSlave();
    }
    if (reopened || !held) {
      pty.DiscardUnreadOutput();
      output.clear();
      dueBytes = 0;
    }
    clientOpen = held;
  } else if (events.Open) {
    clientOpen = true;
  }
  if (pty.WatchFd() < 0) clientOpen = true;  // no watch: assume a client is there
  if (incoming.empty()) return;
  received.append(incoming);
  if (received.size() > 2 * options.ReceivedLimit)
    received.erase(0, received.size() - options.ReceivedLimit);
  controller->Receive(incoming, now);
  changed.notify_all();
}

void Bench::Impl::WriteClient(TimePoint now) {
  if (output.empty()) return;
  if (!options.PaceOutput) {
    dueBytes = output.size();
  } else {
    while (dueBytes < output.size() && nextByteDue <= now) {
      ++dueBytes;
      nextByteDue += Scaled(kByteTime);
    }
  }
  if (dueBytes == 0) return;
  ssize_t n = write(pty.MasterFd(), output.data(), dueBytes);
  if (n > 0) {
    output.erase(0, static_cast<size_t>(n));
    dueBytes -= static_cast<size_t>(n);
  }
}

void Bench::Impl::Iterate(TimePoint now) {
  loopNow = now;
  if (vanishRequested && !vanished) {
    Vanish();
    changed.notify_all();
  }
  AdvanceCell(now);
  if (!vanished) ReadClient(now);
  smu->Tick(now);
  dmm->Tick(now);
  controller->Tick(now);
  if (!vanished) WriteClient(now);
}

void Bench::Impl::Run() {
  std::unique_lock<std::mutex> lock(mutex);
  while (!stopRequested) {
    TimePoint now = Clock::now();
    Iterate(now);

    TimePoint until = now + kMaxWait;
    for (auto next : {smu->NextEvent(), dmm->NextEvent(), controller->NextEvent()})
      if (next) until = std::min(until, *next);
    bool waitWritable = false;
    if (!output.empty()) {
      if (dueBytes > 0)
        waitWritable = true;
      else
        until = std::min(until, nextByteDue);
    }
    pollfd fds[3];
    nfds_t count = 0;
    fds[count++] = pollfd{wakeFd, POLLIN, 0};
    if (!vanished) {
      fds[count++] =
          pollfd{pty.MasterFd(), static_cast<short>(POLLIN | (waitWritable ? POLLOUT : 0)), 0};
      if (pty.WatchFd() >= 0) fds[count++] = pollfd{pty.WatchFd(), POLLIN, 0};
    }
    auto wait = std::max(until - now, Clock::duration::zero());
    timespec ts{static_cast<time_t>(wait / std::chrono::seconds(1)),
                static_cast<long>((wait % std::chrono::seconds(1)) / std::chrono::nanoseconds(1))};
    lock.unlock();
    ppoll(fds, count, &ts, nullptr);
    if (fds[0].revents & POLLIN) {
      std::uint64_t v;
      ssize_t r = read(wakeFd, &v, sizeof v);
      (void)r;
    }
    lock.lock();
  }
}

// --- Bench ----------------------------------------------------------------------------------

Bench::Bench(BenchOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Bench::~Bench() {
  Stop();
}

bool Bench::Start(std::string* error) {
  Impl& d = *impl_;
  std::lock_guard<std::mutex> lock(d.mutex);
  if (d.running) return true;
  if (d.vanished) {
    if (error) *error = "the device has vanished";
    return false;
  }
  if (!d.pty.Open(error)) return false;
  d.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (d.wakeFd < 0) {
    if (error) *error = std::string("eventfd: ") + std::strerror(errno);
    d.pty.Close();
    return false;
  }
  d.devicePath = d.pty.SlavePath();
  d.comNumber = 0;
#ifdef ZK_SIM_PORT_LIST
  if (d.options.RegisterInPortList) d.comNumber = TCommPortList::RegisterPort(d.devicePath);
#endif
  d.cellTime = Clock::now();
  d.stopRequested = false;
  d.running = true;
  d.thread = std::thread([&d] { d.Run(); });
  return true;
}

void Bench::Stop() {
  Impl& d = *impl_;
  {
    std::lock_guard<std::mutex> lock(d.mutex);
    if (!d.running) return;
    d.stopRequested = true;
    d.Wake();
  }
  d.thread.join();
  std::lock_guard<std::mutex> lock(d.mutex);
  d.running = false;
#ifdef ZK_SIM_PORT_LIST
  if (d.comNumber && !d.vanished) TCommPortList::UnregisterPort(d.devicePath);
#endif
  d.pty.Close();
  close(d.wakeFd);
  d.wakeFd = -1;
  d.changed.notify_all();
}

bool Bench::OperationPending() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->controller->OperationPending();
}

bool Bench::Running() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->running;
}

const std::string& Bench::DevicePath() const {
  return impl_->devicePath;
}

int Bench::ComNumber() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->comNumber;
}

const BenchOptions& Bench::Options() const {
  return impl_->options;
}

std::string Bench::Received() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->received;
}

void Bench::ClearReceived() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->received.clear();
}

bool Bench::WaitReceived(const std::string& text, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->changed.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                                 [&] { return impl_->received.find(text) != std::string::npos; });
}

void Bench::SetFault(Fault f, bool on) {
  Impl& d = *impl_;
  std::unique_lock<std::mutex> lock(d.mutex);
  d.faults.Set(f, on);
  if (f == Fault::VanishDevice && !on && d.vanished && d.running) {
    d.vanishRequested = false;
    d.Reappear();
    d.Wake();
    return;
  }
  if (f == Fault::VanishDevice && on && !d.vanished) {
    if (!d.running) {
      d.Vanish();
      return;
    }
    d.vanishRequested = true;
    d.Wake();
    d.changed.wait_for(lock, std::chrono::seconds(5), [&] { return d.vanished || !d.running; });
  }
}

bool Bench::FaultOn(Fault f) const {
  return impl_->faults.On(f);
}

void Bench::SetSmuReading(const std::string& text) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->smu->SetFixedReading(text);
}

double Bench::PumpCurrentA() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->AdvanceCell(Clock::now());
  return impl_->cell.Pump().CurrentA;
}

double Bench::PumpVoltageV() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->AdvanceCell(Clock::now());
  return impl_->cell.Pump().VoltageV;
}

double Bench::SensorVoltageV() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->AdvanceCell(Clock::now());
  return impl_->cell.NernstVoltageV();
}

double Bench::CellPressureBar() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->AdvanceCell(Clock::now());
  return impl_->cell.PressureBar();
}

CellParameters Bench::Cell() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->cell.Parameters();
}

void Bench::SetCell(const CellParameters& c) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->AdvanceCell(Clock::now());
  impl_->cell.SetParameters(c);
}

}  // namespace sim
