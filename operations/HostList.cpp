#include "operations/HostList.h"

#include "app/Csv.h"
#include "config/ConfigFile.h"
#include "config/Fields.h"

#include "snmp/SnmpSocket.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <variant>

namespace varnadex {
namespace {

// The columns that say where a converter is; every other column is a field's.
constexpr const char* kHostColumn = "host";
constexpr const char* kPortColumn = "port";

} // namespace

namespace {

// Every column named, and no name twice.
std::optional<Problem> headerProblem(const std::vector<std::string>& header) {
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (header[c].empty()) return Problem(ExtraMsg::ListColumnUnnamed, {std::to_string(c + 1)});
        if (std::find(header.begin(), header.begin() + c, header[c]) != header.begin() + c)
            return Problem(ExtraMsg::ListColumnTwice, {header[c]});
    }
    return std::nullopt;
}

std::optional<std::size_t> columnOf(const std::vector<std::string>& header, const char* name) {
    const auto it = std::find(header.begin(), header.end(), name);
    if (it == header.end()) return std::nullopt;
    return static_cast<std::size_t>(it - header.begin());
}

bool isBlankRecord(const CsvRecord& record) {
    return std::all_of(record.fields.begin(), record.fields.end(),
                       [](const std::string& f) { return f.empty(); });
}

// One converter's line: its host or port, and its other cells by column name.
std::variant<HostEntry, Problem> readEntry(const CsvRecord& record,
                                           const std::vector<std::string>& header,
                                           std::optional<std::size_t> hostColumn,
                                           std::optional<std::size_t> portColumn) {
    if (record.fields.size() > header.size())
        return onLine(record.line, ExtraMsg::ListTooManyCells);
    auto cell = [&](std::optional<std::size_t> c) {
        return c && *c < record.fields.size() ? record.fields[*c] : std::string();
    };
    const std::string host = cell(hostColumn);
    const std::string port = cell(portColumn);
    if (host.empty() == port.empty()) return onLine(record.line, ExtraMsg::ListHostOrPort);
    HostEntry entry{record.line, !port.empty(), port.empty() ? host : port, {}};
    for (std::size_t c = 0; c < record.fields.size(); ++c)
        if (c != hostColumn && c != portColumn && !record.fields[c].empty())
            entry.cells.emplace_back(header[c], record.fields[c]);
    return entry;
}

} // namespace

HostList parseHostList(std::string_view csv) {
    HostList list;
    const CsvTable table = parseCsv(csv);
    list.problem = table.problem;
    if (!list.problem && table.records.empty()) list.problem = Problem(ExtraMsg::ListEmpty);
    if (list.problem) return list;
    const auto& header = table.records.front().fields;
    list.problem = headerProblem(header);
    const auto hostColumn = columnOf(header, kHostColumn);
    const auto portColumn = columnOf(header, kPortColumn);
    if (!list.problem && !hostColumn && !portColumn)
        list.problem = Problem(ExtraMsg::ListNoHostColumn);
    if (list.problem) return list;

    std::map<std::pair<bool, std::string>, std::size_t> seen;
    for (std::size_t r = 1; r < table.records.size(); ++r) {
        const CsvRecord& record = table.records[r];
        if (isBlankRecord(record)) continue;
        auto read = readEntry(record, header, hostColumn, portColumn);
        if (auto* problem = std::get_if<Problem>(&read)) {
            list.problem = std::move(*problem);
            return list;
        }
        auto& entry = std::get<HostEntry>(read);
        const auto [it, fresh] = seen.emplace(std::pair{entry.serial, entry.address}, record.line);
        if (!fresh) {
            list.problem = onLine(record.line, {ExtraMsg::ListListedTwice,
                                                {entry.address, std::to_string(it->second)}});
            return list;
        }
        list.entries.push_back(std::move(entry));
    }
    return list;
}

namespace {

// What names one converter, however the list spells it: the address and port a host resolves
// to, or the device a port is (a link followed to its end).
std::string converterKey(const HostEntry& entry, const Resolver& resolve) {
    if (entry.serial) {
        std::error_code ec;
        const auto device = std::filesystem::canonical(entry.address, ec);
        return "port " + (ec ? entry.address : device.string());
    }
    const auto address = splitAgentHost(entry.address);
    if (!address) return "host " + entry.address;
    const auto found = resolve ? resolve(address->host) : std::vector<Ipv4Address>{};
    std::string host = found.empty() ? address->host : formatIpv4Address(found.front());
    // A name that does not resolve fails at its turn; spelt twice it is still one converter.
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return "host " + host + ":" + std::to_string(address->port);
}

} // namespace

std::variant<std::vector<PlannedConverter>, std::string> planList(const JobRequest& request,
                                                                  std::string_view csv,
                                                                  const MessageCatalogue& catalogue,
                                                                  const Resolver& resolve) {
    HostList list = parseHostList(csv);
    if (list.problem) return catalogue.say(*list.problem);
    std::vector<PlannedConverter> planned;
    std::map<std::string, std::size_t> seen; // converter key: its index
    for (auto& entry : list.entries) {
        PlannedConverter c{std::move(entry), request.base, request.assignments};
        if (auto refused = applyHostEntry(c.entry, c.target)) return catalogue.say(*refused);
        if (request.kind == JobKind::Set) {
            // The list's values are this converter's part of the change.
            for (const auto& [name, value] : c.entry.cells)
                if (!fieldForColumn(name) || uses(*fieldForColumn(name), InFile))
                    c.assignments.emplace_back(name, value);
        }
        JobRequest own = request;
        own.assignments = c.assignments;
        if (auto problem = refusedBeforeSending(own, c.target, catalogue))
            return catalogue.extra(ExtraMsg::ListLine, std::to_string(c.entry.line), *problem);
        // Two jobs on one converter at once would mix their registers.
        const auto [at, fresh] = seen.emplace(converterKey(c.entry, resolve), planned.size());
        if (!fresh) {
            const PlannedConverter& first = planned[at->second];
            return catalogue.say(onLine(c.entry.line, {ExtraMsg::ListSameConverter,
                                                       {c.entry.address, first.entry.address,
                                                        std::to_string(first.entry.line)}}));
        }
        planned.push_back(std::move(c));
    }
    return planned;
}

Problem onLine(std::size_t line, Problem why) {
    return Problem(ExtraMsg::ListLine, {std::to_string(line)}, std::move(why));
}

std::optional<Problem> applyHostEntry(const HostEntry& entry, ConverterConfig& config) {
    config.accessMode = entry.serial ? 0 : 1;
    *textOf(*fieldForColumn(entry.serial ? kPortColumn : kHostColumn), config) = entry.address;
    for (const auto& [name, value] : entry.cells) {
        const Field* f = fieldForColumn(name);
        if (f && uses(*f, AccessSetting) && textOf(*f, config)) {
            *textOf(*f, config) = value; // the community to reach this converter with
        } else if (f && uses(*f, Reported)) {
            // What a read found, as a configuration file carries it: never sent.
        } else if (auto refused = setField(config, name, value)) {
            return onLine(entry.line, std::move(*refused));
        }
    }
    return std::nullopt;
}

} // namespace varnadex
