// Random-access reads and writes of vehicle records. Every write is one record in one piece at its
// offset, flushed before the file is closed, so a fault leaves the other records as they were.
#include "vehicle/VehicleFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace velrok {

namespace fs = std::filesystem;

namespace {

std::string Describe(const std::string& what, const std::string& path, int err)
{
    std::string text = what + " \"" + path + "\"";
    if (err != 0)
        text += std::string(": ") + std::strerror(err);
    return text + ".";
}

std::int64_t Length(const std::string& path, std::string& error)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = Describe("Can't find the vehicle file", path, ec ? ec.value() : ENOENT);
        return -1;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        error = Describe("Can't read the vehicle file", path, ec.value());
        return -1;
    }
    return static_cast<std::int64_t>(size);
}

// Reads the record at `index` (0-based) of an open stream, zero-padded past the end of the file.
bool ReadAt(std::ifstream& in, std::int64_t index, RecordBytes& bytes)
{
    bytes.fill(0);
    in.clear();
    in.seekg(index * static_cast<std::int64_t>(kVehicleRecordLength));
    if (!in)
        return false;
    in.read(reinterpret_cast<char*>(bytes.data()), kVehicleRecordLength);
    // A short read is the truncated last record; a failure without reaching the end is an error.
    return !in.bad() && (in.good() || in.eof());
}

std::int16_t DeletedMarkOf(const RecordBytes& bytes)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[350] | (bytes[351] << 8)));
}

} // namespace

std::int64_t RecordCountForLength(std::uintmax_t length)
{
    const std::uintmax_t whole = length / kVehicleRecordLength;
    const std::uintmax_t rest = length % kVehicleRecordLength;
    const std::uintmax_t twice = rest * 2;
    std::uintmax_t count = whole;
    if (twice > kVehicleRecordLength || (twice == kVehicleRecordLength && whole % 2 == 1))
        ++count;
    return static_cast<std::int64_t>(count);
}

bool FileExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    return !ec && fs::exists(st) && !fs::is_directory(st);
}

std::string FileTitle(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

RecordCountResult CountVehicleRecords(const std::string& path)
{
    RecordCountResult r;
    const std::int64_t length = Length(path, r.error);
    if (length >= 0)
        r.count = RecordCountForLength(static_cast<std::uintmax_t>(length));
    return r;
}

std::string ListVehicleRecords(const std::string& path, VehicleList& list)
{
    const RecordCountResult count = CountVehicleRecords(path);
    if (!count.error.empty())
        return count.error;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Describe("Can't open the vehicle file", path, errno);
    RecordBytes bytes;
    for (std::int64_t n = 1; n <= count.count; ++n) {
        if (!ReadAt(in, n - 1, bytes))
            return Describe("Can't read record " + std::to_string(n) + " of the vehicle file", path, errno);
        const VehicleRecord record = DecodeVehicleRecord(bytes);
        if (record.Deleted == kRecordLive)
            list.push_back({record.Name, static_cast<int>(n)});
    }
    return {};
}

RecordReadResult ReadVehicleRecord(const std::string& path, std::int64_t n)
{
    RecordReadResult r;
    const RecordCountResult count = CountVehicleRecords(path);
    if (!count.error.empty()) {
        r.error = count.error;
        return r;
    }
    if (n < 1 || n > count.count) {
        r.error = "Record " + std::to_string(n) + " is not in the vehicle file \"" + path + "\" (it holds " +
                  std::to_string(count.count) + ").";
        return r;
    }
    std::ifstream in(path, std::ios::binary);
    RecordBytes bytes;
    if (!in || !ReadAt(in, n - 1, bytes)) {
        r.error = Describe("Can't read record " + std::to_string(n) + " of the vehicle file", path, errno);
        return r;
    }
    r.record = DecodeVehicleRecord(bytes);
    return r;
}

std::string WriteVehicleRecord(const std::string& path, std::int64_t n, const VehicleRecord& record)
{
    RecordBytes bytes;
    if (std::string e = EncodeVehicleRecord(record, bytes); !e.empty())
        return e;
    std::string error;
    const std::int64_t length = Length(path, error);
    if (length < 0)
        return error;
    const std::int64_t count = RecordCountForLength(static_cast<std::uintmax_t>(length));
    if (n < 1 || n > count + 1)
        return "Record " + std::to_string(n) + " cannot be written to the vehicle file \"" + path +
               "\" (it holds " + std::to_string(count) + ").";

    // in|out never creates the file: one that vanished is reported, not silently remade.
    std::fstream io(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!io)
        return Describe("Can't write to the vehicle file", path, errno);
    const std::int64_t offset = (n - 1) * static_cast<std::int64_t>(kVehicleRecordLength);
    io.seekp(offset);
    io.write(reinterpret_cast<const char*>(bytes.data()), kVehicleRecordLength);
    io.flush();
    const int writeErr = io ? 0 : errno;
    const bool written = static_cast<bool>(io);
    io.close();
    if (written && !io.fail())
        return {};
    // A full disk may leave part of an appended record: cut the file back to its old length.
    std::error_code ec;
    if (offset >= length)
        fs::resize_file(path, static_cast<std::uintmax_t>(length), ec);
    return Describe("Can't write record " + std::to_string(n) + " to the vehicle file", path,
                    writeErr != 0 ? writeErr : EIO);
}

SaveVehicleResult SaveVehicle(const VehicleRecord& record, std::int64_t n, const std::string& path,
                              bool listIsEmpty, bool& newVehicle, MessageService& messages)
{
    SaveVehicleResult result;
    if (listIsEmpty)
        newVehicle = true;
    VehicleRecord live = record;
    live.Deleted = kRecordLive;

    std::int64_t target = n;
    if (newVehicle) {
        const RecordCountResult count = CountVehicleRecords(path);
        if (!count.error.empty()) {
            result.error = count.error;
            return result;
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            result.error = Describe("Can't open the vehicle file", path, errno);
            return result;
        }
        target = count.count + 1;
        RecordBytes bytes;
        for (std::int64_t k = 1; k <= count.count; ++k) {
            if (!ReadAt(in, k - 1, bytes)) {
                result.error = Describe("Can't read the vehicle file", path, errno);
                return result;
            }
            if (DeletedMarkOf(bytes) == kRecordDeleted) {
                target = k;
                break;
            }
        }
    } else if (n == -1) {
        messages.Show("Save Setting", "Nothing selected in List!", MsgIcon::Critical);
        return result;
    }
    result.error = WriteVehicleRecord(path, target, live);
    if (!result.error.empty())
        return result;
    newVehicle = false;
    result.recordNumber = std::to_string(target);
    return result;
}

std::string DeleteVehicle(std::int64_t n, const std::string& path, MessageService& messages)
{
    if (path.empty()) {
        messages.Show("Missing path", "Missing Vehicle file path!", MsgIcon::Critical);
        return {};
    }
    RecordReadResult read = ReadVehicleRecord(path, n);
    if (!read.ok())
        return read.error;
    // Only the two bytes of the mark change meaning; the record is rewritten whole, in place.
    read.record.Deleted = kRecordDeleted;
    return WriteVehicleRecord(path, n, read.record);
}

bool CopyVehicleFile(const std::string& source, const std::string& target, bool overwrite)
{
    try {
        if (!FileExists(source))
            return false;
        std::error_code ec;
        if (!overwrite && fs::exists(target, ec))
            return false;
        if (fs::is_directory(target, ec))
            return false;
        const fs::path targetPath(target);
        fs::path folder = targetPath.parent_path();
        if (folder.empty())
            folder = ".";
        std::random_device rd;
        const fs::path temp =
            folder / (targetPath.filename().string() + ".tmp" + std::to_string(rd() % 1000000u));
        {
            std::ifstream in(source, std::ios::binary);
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!in || !out)
                return false;
            // A plain loop: streaming an empty rdbuf() would mark the copy of an empty file failed.
            char buffer[65536];
            while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
                out.write(buffer, in.gcount());
            out.flush();
            const bool ok = static_cast<bool>(out) && !in.bad();
            out.close();
            if (!ok || out.fail() || fs::file_size(temp, ec) != fs::file_size(source, ec) || ec) {
                fs::remove(temp, ec);
                return false;
            }
        }
        fs::rename(temp, targetPath, ec);
        if (ec) {
            fs::remove(temp, ec);
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

std::string CreateEmptyVehicleFile(const std::string& path)
{
    std::error_code ec;
    if (fs::exists(path, ec))
        return Describe("The file already exists:", path, 0);
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return Describe("Can't create the vehicle file", path, errno);
    out.close();
    if (out.fail())
        return Describe("Can't create the vehicle file", path, errno);
    return {};
}

} // namespace velrok
