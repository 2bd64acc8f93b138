#include "media/files/streams.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "media/core/module_state.h"
#include "media/core/registry.h"
#include "media/platform/os_files.h"

namespace {

constexpr uint8_t kCR = 13;
constexpr uint8_t kLF = 10;

// Collects the bytes of one line and turns them into a text.
class LineBuilder {
 public:
  // Returns false when the byte ends the line.
  bool Add(uint8_t byte) {
    if (byte == kLF || byte == 0) return false;
    if (byte != kCR) _bytes.push_back(static_cast<char16_t>(byte));
    return true;
  }
  String Take() { return std::move(_bytes); }

 private:
  String _bytes;
};

// The native form of a path: slashes for backslashes, UTF-8; empty for a path the
// system cannot take.
std::string NativePath(std::u16string_view path) {
  String slashed(path);
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  std::string native = TextToUtf8(slashed);
  if (native.find('\0') != std::string::npos) native.clear();
  return native;
}

// How many of count bytes fit before a 32-bit position would overflow.
int ClampToPositionLimit(int32_t pos, int count) {
  if (count <= 0 || pos < 0) return std::max(count, 0);
  return static_cast<int>(std::min<int64_t>(count, int64_t{INT32_MAX} - pos));
}

struct Opening {
  String last_failed_open;
  core::Registry<TStreamFactory> factories;
};

Opening& S() { return core::ModuleState<Opening>(); }

StreamRef Failed(std::u16string_view url) {
  S().last_failed_open.assign(url);
  return nullptr;
}

TStream& Require(const StreamRef& stream, const char* operation) {
  if (stream) return *stream;
  std::string message = std::string(operation) + " called with a null stream";
  if (const String& failed = S().last_failed_open; !failed.empty()) {
    message += " (the last file that could not be opened was \"" + TextToUtf8(failed) + "\")";
  }
  throw std::runtime_error(message);
}

}  // namespace

// ---- TIO -------------------------------------------------------------------

int TIO::Eof() {
  const int pos = Pos();
  return pos >= 0 && pos >= Size() ? 1 : 0;
}
int TIO::Pos() { return -1; }
int TIO::Size() { return 0; }
int TIO::Seek(int) { return -1; }
int TIO::Flush() { return 0; }
int TIO::Close() { return 0; }
int TIO::Read(void*, int) { throw std::runtime_error("Stream is not readable"); }
int TIO::Write(const void*, int) { throw std::runtime_error("Stream is not writeable"); }

// ---- TStream ---------------------------------------------------------------

int TStream::ReadBytes(void* buffer, int count) {
  auto* p = static_cast<uint8_t*>(buffer);
  int done = 0;
  while (done < count) {
    const int n = Read(p + done, count - done);
    if (n <= 0) throw TStreamReadException();
    done += n;
  }
  return count;
}

int TStream::WriteBytes(const void* buffer, int count) {
  const auto* p = static_cast<const uint8_t*>(buffer);
  int done = 0;
  while (done < count) {
    const int n = Write(p + done, count - done);
    if (n <= 0) throw TStreamWriteException();
    done += n;
  }
  return count;
}

int TStream::SkipBytes(int count) {
  uint8_t scratch[1024];
  int left = count;
  while (left > 0) {
    const int n = Read(scratch, std::min(left, static_cast<int>(sizeof scratch)));
    if (n <= 0) throw TStreamReadException();
    left -= n;
  }
  return count;
}

int TStream::ReadByte() {
  uint8_t b = 0;
  ReadBytes(&b, 1);
  return b;
}

void TStream::WriteByte(int value) {
  const auto b = static_cast<uint8_t>(value);
  WriteBytes(&b, 1);
}

int TStream::ReadShort() {
  uint8_t b[2];
  ReadBytes(b, 2);
  return b[0] | (b[1] << 8);
}

void TStream::WriteShort(int value) {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
  WriteBytes(b, 2);
}

int TStream::ReadInt() {
  uint8_t b[4];
  ReadBytes(b, 4);
  return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

void TStream::WriteInt(int value) {
  const auto v = static_cast<uint32_t>(value);
  const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                        static_cast<uint8_t>(v >> 24)};
  WriteBytes(b, 4);
}

String TStream::ReadLine() {
  LineBuilder line;
  uint8_t byte = 0;
  while (Read(&byte, 1) == 1 && line.Add(byte)) {
  }
  return line.Take();
}

int TStream::WriteLine(std::u16string_view text) {
  const std::string bytes = TextToBytes(text);
  const int count = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX));
  if (count != static_cast<int64_t>(bytes.size())) return 0;
  int done = 0;
  while (done < count) {
    const int n = Write(bytes.data() + done, count - done);
    if (n <= 0) return 0;
    done += n;
  }
  const uint8_t end[2] = {kCR, kLF};
  int ended = 0;
  while (ended < 2) {
    const int n = Write(end + ended, 2 - ended);
    if (n <= 0) return 0;
    ended += n;
  }
  return 1;
}

// ---- TCStream --------------------------------------------------------------

TCStream::~TCStream() { Close(); }

int TCStream::Pos() { return _pos; }
int TCStream::Size() { return _size; }

int TCStream::Seek(int pos) {
  if (!_cstream) return _pos;
  std::fseek(_cstream, pos, SEEK_SET);
  const long at = std::ftell(_cstream);
  if (at >= 0 && at <= INT32_MAX) _pos = static_cast<int32_t>(at);
  _last = LastOp::None;
  return _pos;
}

void TCStream::SwitchTo(LastOp op) {
  if (_last != op && _last != LastOp::None) std::fseek(_cstream, 0, SEEK_CUR);
  _last = op;
}

int TCStream::Read(void* buffer, int count) {
  if (!_cstream) return 0;
  count = ClampToPositionLimit(_pos, count);
  if (count == 0) return 0;
  SwitchTo(LastOp::Read);
  const size_t n = std::fread(buffer, 1, static_cast<size_t>(count), _cstream);
  _pos += static_cast<int32_t>(n);
  return static_cast<int>(n);
}

int TCStream::Write(const void* buffer, int count) {
  if (!_cstream) return 0;
  count = ClampToPositionLimit(_pos, count);
  if (count == 0) return 0;
  SwitchTo(LastOp::Write);
  const size_t n = std::fwrite(buffer, 1, static_cast<size_t>(count), _cstream);
  _pos += static_cast<int32_t>(n);
  _size = std::max(_size, _pos);
  return static_cast<int>(n);
}

int TCStream::Flush() {
  if (_cstream) std::fflush(_cstream);
  return 0;
}

int TCStream::Close() {
  if (!_cstream) return 0;
  Flush();
  std::fclose(_cstream);
  _cstream = nullptr;
  _pos = 0;
  _size = 0;
  return 0;
}

// Same rule as TStream::ReadLine, taking bytes straight from the C library's
// buffer instead of one fread call per byte.
String TCStream::ReadLine() {
  LineBuilder line;
  if (!_cstream) return line.Take();
  SwitchTo(LastOp::Read);
  while (_pos < INT32_MAX) {
    const int c = std::getc(_cstream);
    if (c == EOF) break;
    ++_pos;
    if (!line.Add(static_cast<uint8_t>(c))) break;
  }
  return line.Take();
}

std::shared_ptr<TCStream> TCStream::CreateWithCStream(std::FILE* cstream, int mode) {
  if (!cstream) return nullptr;
  const long pos = std::ftell(cstream);
  std::fseek(cstream, 0, SEEK_END);
  const long size = std::ftell(cstream);
  std::fseek(cstream, pos < 0 ? 0 : pos, SEEK_SET);
  if (pos < 0 || size < 0 || size > INT32_MAX) {
    std::fclose(cstream);
    return nullptr;
  }
  std::shared_ptr<TCStream> stream(new TCStream());
  stream->_cstream = cstream;
  stream->_pos = static_cast<int32_t>(pos);
  stream->_size = static_cast<int32_t>(size);
  stream->_mode = mode;
  return stream;
}

std::shared_ptr<TCStream> TCStream::OpenFile(std::u16string_view path, bool readable, bool writeable) {
  const char* cmode = "rb";
  int mode = MODE_READ;
  if (readable && writeable) {
    cmode = "r+b";
    mode = MODE_READ | MODE_WRITE;
  } else if (writeable) {
    cmode = "wb";
    mode = MODE_WRITE;
  }
  const std::string native = NativePath(path);
  if (native.empty()) return nullptr;
  std::FILE* cstream = std::fopen(native.c_str(), cmode);
  if (cstream != nullptr && mode == MODE_READ) {
    // The C library opens a folder for reading on some file systems, as a file
    // whose first read fails. A file that cannot be read counts as not opened.
    const int first = std::getc(cstream);
    if (first == EOF && std::ferror(cstream)) {
      std::fclose(cstream);
      return nullptr;
    }
    std::rewind(cstream);  // back to the start, where "rb" opens
  }
  return CreateWithCStream(cstream, mode);
}

// ---- TMemoryStream ---------------------------------------------------------

namespace {
size_t CheckedMemorySize(size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) throw std::length_error("memory stream larger than 2 GiB");
  return size;
}
}  // namespace

TMemoryStream::TMemoryStream(std::vector<uint8_t> bytes) : _data(std::move(bytes)) { CheckedMemorySize(_data.size()); }

TMemoryStream::TMemoryStream(const void* data, size_t size)
    : _data(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + CheckedMemorySize(size)) {}

int TMemoryStream::Seek(int pos) {
  _pos = std::clamp(pos, 0, Size());
  return _pos;
}

int TMemoryStream::Read(void* buffer, int count) {
  const int n = std::clamp(Size() - _pos, 0, std::max(count, 0));
  if (n > 0) std::memcpy(buffer, _data.data() + _pos, static_cast<size_t>(n));
  _pos += n;
  return n;
}

int TMemoryStream::Write(const void* buffer, int count) {
  const int n = ClampToPositionLimit(_pos, count);
  if (n == 0) return 0;
  const size_t end = static_cast<size_t>(_pos) + static_cast<size_t>(n);
  if (end > _data.size()) _data.resize(end);
  std::memcpy(_data.data() + _pos, buffer, static_cast<size_t>(n));
  _pos += n;
  return n;
}

String TMemoryStream::ReadLine() {
  LineBuilder line;
  const int size = Size();
  while (_pos < size && line.Add(_data[static_cast<size_t>(_pos++)])) {
  }
  return line.Take();
}

// ---- Opening ---------------------------------------------------------------

TStreamFactory::TStreamFactory() { S().factories.Add(this); }

TStreamFactory::~TStreamFactory() { S().factories.Remove(this); }

StreamRef OpenStream(std::u16string_view url, bool readable, bool writeable) {
  const size_t sep = url.find(u"::");
  if (sep == std::u16string_view::npos) {
    StreamRef file = TCStream::OpenFile(url, readable, writeable);
    return file ? file : Failed(url);
  }
  const String whole(url);
  const String protocol(url.substr(0, sep));
  const String path(url.substr(sep + 2));
  StreamRef stream;
  for (TStreamFactory* f : S().factories) {
    stream = f->CreateStream(whole, protocol, path, readable, writeable);
    if (stream) break;
  }
  if (!stream) return Failed(url);
  if (readable && !writeable && stream->Pos() == -1) {
    try {
      std::vector<uint8_t> bytes = ReadAllBytes(*stream);
      stream->Close();
      return std::make_shared<TMemoryStream>(std::move(bytes));
    } catch (const TStreamException&) {
      return Failed(url);
    }
  }
  return stream;
}

StreamRef OpenReadFile(std::u16string_view url) { return OpenStream(url, true, false); }
StreamRef OpenWriteFile(std::u16string_view url) { return OpenStream(url, false, true); }
StreamRef OpenReadFile(std::string_view url) { return OpenReadFile(TextFromUtf8(url)); }
StreamRef OpenWriteFile(std::string_view url) { return OpenWriteFile(TextFromUtf8(url)); }

void CloseTextFile(const StreamRef& stream) { Require(stream, "CloseTextFile").Close(); }
void CloseStream(const StreamRef& stream) { Require(stream, "CloseStream").Close(); }

String LastFailedOpen() { return S().last_failed_open; }

int FileType(std::u16string_view path) {
  const std::string native = NativePath(path);
  if (native.empty()) return 0;
  switch (platform::KindOfPath(native)) {
    case platform::PathKind::Absent: return 0;
    case platform::PathKind::File: return 1;
    case platform::PathKind::Folder: return 2;
  }
  return 0;
}

namespace {

// The safe replacing of ReplaceFileLines, with what goes into the new file left
// to `write` (false, with the reason in `error`, when it could not write it all).
template <typename Write>
bool ReplaceFileWith(std::u16string_view path, std::string& error, Write write) {
  std::string target = NativePath(path);
  if (target.empty()) {
    error = "not a usable file name";
    return false;
  }
  target = platform::WriteTarget(target);
  if (platform::KindOfPath(target) == platform::PathKind::Folder) {
    error = "it is a folder";
    return false;
  }
  error = platform::ReplaceRefusal(target);
  if (!error.empty()) return false;
  std::string created;
  std::FILE* file = platform::CreateFileBeside(target, created, error);
  if (!file) return false;
  std::shared_ptr<TCStream> stream = TCStream::CreateWithCStream(file, TCStream::MODE_WRITE);
  if (!stream) {
    error = "the new file could not be written";
    platform::RemoveFile(created);
    return false;
  }
  errno = 0;
  bool written = write(*stream, error);
  if (written) written = platform::SyncFile(file, error);
  stream->Close();
  if (written) written = platform::RenameOver(created, target, error);
  if (!written) platform::RemoveFile(created);
  return written;
}

}  // namespace

bool ReplaceFileLines(std::u16string_view path, std::span<const String> lines, std::string& error) {
  return ReplaceFileWith(path, error, [&](TCStream& stream, std::string& why) {
    for (const String& line : lines) {
      if (stream.WriteLine(line) != 1) {
        why = errno ? std::strerror(errno) : "the new file could not be written in full";
        return false;
      }
    }
    return true;
  });
}

bool ReplaceFileText(std::u16string_view path, std::string_view bytes, std::string& error) {
  return ReplaceFileWith(path, error, [&](TCStream& stream, std::string& why) {
    for (size_t done = 0; done < bytes.size();) {
      const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 20));
      const int n = stream.Write(bytes.data() + done, chunk);
      if (n <= 0) {
        why = errno ? std::strerror(errno) : "the new file could not be written in full";
        return false;
      }
      done += static_cast<size_t>(n);
    }
    return true;
  });
}

std::vector<uint8_t> ReadAllBytes(TStream& stream) {
  std::vector<uint8_t> bytes;
  const int pos = stream.Pos();
  const int size = stream.Size();
  if (pos >= 0 && size > pos) bytes.reserve(static_cast<size_t>(size - pos));
  uint8_t chunk[4096];
  for (;;) {
    const int n = stream.Read(chunk, sizeof chunk);
    if (n <= 0) break;
    if (bytes.size() + static_cast<size_t>(n) > static_cast<size_t>(INT32_MAX)) throw TStreamReadException();
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return bytes;
}

// ---- Free forms ------------------------------------------------------------

String ReadLine(const StreamRef& stream) { return Require(stream, "ReadLine").ReadLine(); }
int WriteLine(const StreamRef& stream, std::u16string_view text) {
  return Require(stream, "WriteLine").WriteLine(text);
}
int Eof(const StreamRef& stream) { return Require(stream, "Eof").Eof(); }
int StreamPos(const StreamRef& stream) { return Require(stream, "StreamPos").Pos(); }
int StreamSize(const StreamRef& stream) { return Require(stream, "StreamSize").Size(); }
int SeekStream(const StreamRef& stream, int pos) { return Require(stream, "SeekStream").Seek(pos); }
int FlushStream(const StreamRef& stream) { return Require(stream, "FlushStream").Flush(); }
int ReadBytes(const StreamRef& stream, void* buffer, int count) {
  return Require(stream, "ReadBytes").ReadBytes(buffer, count);
}
int WriteBytes(const StreamRef& stream, const void* buffer, int count) {
  return Require(stream, "WriteBytes").WriteBytes(buffer, count);
}
int SkipBytes(const StreamRef& stream, int count) { return Require(stream, "SkipBytes").SkipBytes(count); }
int ReadByte(const StreamRef& stream) { return Require(stream, "ReadByte").ReadByte(); }
int ReadShort(const StreamRef& stream) { return Require(stream, "ReadShort").ReadShort(); }
int ReadInt(const StreamRef& stream) { return Require(stream, "ReadInt").ReadInt(); }
std::vector<uint8_t> ReadAllBytes(const StreamRef& stream) {
  return ReadAllBytes(Require(stream, "ReadAllBytes"));
}
