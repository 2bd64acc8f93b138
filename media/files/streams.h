// Byte streams: plain files over the C library's buffered files, in-memory buffers,
// line-by-line text, and the little-endian fixed-size reads the binary loaders use.
//
// Streams are shared: OpenReadFile and OpenWriteFile hand out a std::shared_ptr and a
// file stream closes itself when its last owner lets go. Positions and sizes are
// 32-bit signed byte counts; -1 as a position means "not seekable".
//
// Short transfers inside ReadBytes / SkipBytes / ReadShort / ReadInt (and the write
// counterparts) throw the TStreamException family, which loaders catch and treat as
// a file they do not recognise. Operations a stream cannot do at all (Read on a
// write-only kind of stream, any free wrapper handed a null stream) throw a
// std::runtime_error carrying the message.
//
// Text goes through the file one byte per code unit both ways: ReadLine makes each
// byte a unit 0..255, WriteLine writes the low byte of each unit and always ends the
// line with CR LF.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "media/core/registry.h"
#include "media/core/strings.h"

class TStreamException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TStreamReadException : public TStreamException {
 public:
  TStreamReadException() : TStreamException("Error reading from stream") {}
};

class TStreamWriteException : public TStreamException {
 public:
  TStreamWriteException() : TStreamException("Error writing to stream") {}
};

// Base of all streams. The defaults describe a stream that can do nothing: not
// seekable, empty, neither readable nor writeable.
class TIO {
 public:
  virtual ~TIO() = default;
  // 1 when the position has reached (or passed) the size, else 0. A stream that is
  // not seekable (Pos -1) is never at its end by this test.
  virtual int Eof();
  virtual int Pos();
  virtual int Size();
  // Moves to an absolute position; returns the new position (-1: not seekable).
  virtual int Seek(int pos);
  virtual int Flush();
  virtual int Close();
  // Transfers up to count bytes; returns how many were transferred (0 at the end
  // or on failure). count <= 0 transfers nothing.
  virtual int Read(void* buffer, int count);
  virtual int Write(const void* buffer, int count);
};

// Everything a stream offers on top of Read and Write. A derived stream only needs
// to supply the TIO operations.
class TStream : public TIO {
 public:
  // Read/Write until count bytes have gone through; throw TStreamReadException /
  // TStreamWriteException when a transfer stops early. Return count.
  virtual int ReadBytes(void* buffer, int count);
  virtual int WriteBytes(const void* buffer, int count);
  // Reads and discards count bytes, at most 1024 at a time; throws
  // TStreamReadException when the stream ends first. Returns count.
  virtual int SkipBytes(int count);
  virtual int ReadByte();  // unsigned, 0..255
  virtual void WriteByte(int value);
  virtual int ReadShort();  // little-endian, unsigned, 0..65535
  virtual void WriteShort(int value);
  virtual int ReadInt();  // little-endian, signed 32-bit
  virtual void WriteInt(int value);
  // One line: bytes up to LF or NUL (consumed, not part of the line); every CR is
  // dropped wherever it stands; the end of the stream or an error also ends the
  // line. No length limit. At the end it returns the empty text.
  virtual String ReadLine();
  // The low byte of every unit, then CR LF. 1 when everything was written, else 0.
  virtual int WriteLine(std::u16string_view text);
};

// A stream over one C library file handle; destroying it closes it.
class TCStream : public TStream {
 public:
  static constexpr int MODE_READ = 1;
  static constexpr int MODE_WRITE = 2;

  ~TCStream() override;

  int Pos() override;
  int Size() override;
  int Seek(int pos) override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  int Flush() override;
  // Flushes and closes the handle; position and size become 0. A second Close
  // does nothing.
  int Close() override;
  String ReadLine() override;
  int Mode() const { return _mode; }

  // Opens path (backslashes become slashes) for reading ("rb"), writing ("wb",
  // created or truncated) or both ("r+b"). Null when the file cannot be opened, cannot
  // be read when opened for reading (a folder), or is too large for 32-bit positions.
  static std::shared_ptr<TCStream> OpenFile(std::u16string_view path, bool readable, bool writeable);
  // Takes over an open handle; mode 1 read, 2 write, 3 both. Null for a null handle
  // or a file too large for 32-bit positions (the handle is then closed).
  static std::shared_ptr<TCStream> CreateWithCStream(std::FILE* cstream, int mode);

 private:
  TCStream() = default;
  enum class LastOp { None, Read, Write };
  // The C library needs a seek or flush between a write and a following read
  // on the same handle (and the other way round).
  void SwitchTo(LastOp op);

  int32_t _pos = 0;
  int32_t _size = 0;
  std::FILE* _cstream = nullptr;
  int32_t _mode = 0;
  LastOp _last = LastOp::None;
};

// A readable and writeable stream over a byte buffer in memory; writing past the
// end grows it (up to the 32-bit size limit). Seek is clamped to 0 .. Size.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  // Both throw std::length_error for more bytes than a 32-bit size can count.
  explicit TMemoryStream(std::vector<uint8_t> bytes);
  TMemoryStream(const void* data, size_t size);

  int Pos() override { return _pos; }
  int Size() override { return static_cast<int>(_data.size()); }
  int Seek(int pos) override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;
  String ReadLine() override;

  const std::vector<uint8_t>& Bytes() const { return _data; }

 private:
  std::vector<uint8_t> _data;
  int32_t _pos = 0;
};

using StreamRef = std::shared_ptr<TStream>;

// Makes streams for urls of the form protocol "::" rest. Each factory puts itself
// at the front of the list when it is created and leaves it when destroyed.
class TStreamFactory {
 public:
  TStreamFactory();
  virtual ~TStreamFactory();
  TStreamFactory(const TStreamFactory&) = delete;
  TStreamFactory& operator=(const TStreamFactory&) = delete;
  // Null when this factory does not handle the protocol or cannot open the path.
  virtual StreamRef CreateStream(const String& url, const String& protocol, const String& path, bool readable,
                                 bool writeable) = 0;

 private:
  TStreamFactory* _succ = nullptr;
  friend class core::Registry<TStreamFactory>;
};

// The general open: a url without "::" is a file path (TCStream::OpenFile);
// otherwise the factories are asked in turn. A readable stream that turns out not
// to be seekable is copied into memory. Null when nothing could open it.
StreamRef OpenStream(std::u16string_view url, bool readable, bool writeable);
StreamRef OpenReadFile(std::u16string_view url);
StreamRef OpenWriteFile(std::u16string_view url);
// Narrow-string conveniences for loaders; the path is taken as UTF-8.
StreamRef OpenReadFile(std::string_view url);
StreamRef OpenWriteFile(std::string_view url);
// Calls the stream's Close.
void CloseTextFile(const StreamRef& stream);
void CloseStream(const StreamRef& stream);

// The url of the last open that returned null (empty if none failed yet), so an
// error about a null stream can say which file was missing.
String LastFailedOpen();

// What stands at a file path (backslashes as slashes): 0 nothing (or nothing that
// can be looked at), 1 a file, 2 a folder.
int FileType(std::u16string_view path);

// Replaces the file at `path` with one holding the lines, each written as
// WriteLine writes it (ending in CR LF). At every moment the path holds either the
// old file whole or the new one whole, whenever the program is stopped: the lines
// go into a new file beside the old one, which is flushed and synced to the disk
// and then renamed over the path, and the folder is synced. A symbolic link at the
// path keeps leading to the replaced file. Nothing is replaced when the file is
// marked read-only or may not be written by this user, is a folder, or anything
// fails on the way; the new file is then removed, the old one is left as it was,
// and `error` says why. Returns true when the file was replaced (or created).
bool ReplaceFileLines(std::u16string_view path, std::span<const String> lines, std::string& error);
// The same with the new file holding exactly `bytes` (a text the caller has
// laid out itself, line ends and all).
bool ReplaceFileText(std::u16string_view path, std::string_view bytes, std::string& error);

// Everything from the current position to the end. Throws TStreamReadException
// when the stream holds more than fits a 32-bit size.
std::vector<uint8_t> ReadAllBytes(TStream& stream);

// Free forms of the stream operations. Each throws a std::runtime_error naming the
// operation (and the last file that failed to open) when handed a null stream.
String ReadLine(const StreamRef& stream);
int WriteLine(const StreamRef& stream, std::u16string_view text);
int Eof(const StreamRef& stream);
int StreamPos(const StreamRef& stream);
int StreamSize(const StreamRef& stream);
int SeekStream(const StreamRef& stream, int pos);
int FlushStream(const StreamRef& stream);
int ReadBytes(const StreamRef& stream, void* buffer, int count);
int WriteBytes(const StreamRef& stream, const void* buffer, int count);
int SkipBytes(const StreamRef& stream, int count);
int ReadByte(const StreamRef& stream);
int ReadShort(const StreamRef& stream);
int ReadInt(const StreamRef& stream);
std::vector<uint8_t> ReadAllBytes(const StreamRef& stream);
