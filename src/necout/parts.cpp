// A large near-field table read on several cores at once (ReadNearFieldRows in reader.hpp):
// the text split into parts at row starts, each part read by a RowReader (rows.hpp) on a
// thread of its own, and the parts joined in order, with the same result as one read. What it
// buys in the whole program's Load + Analyse Nearfield of a 128 000-row file on two cores
// (bench/program_counts.sh): the reading in parts, written in place into the table's lists
// (ReadPartsInPlace, RowsInPlace), 14 to 16 % of the wall time (1.16 to 1.19 times as long on
// one thread, for the same instructions). The parts written in place also tell where the row
// after a full table begins, so that ReadNearField need not walk the rows to find it. When a
// part does not start a whole number of row strides behind the first row, each part is read
// into lists of its own.
#include "necout/reader.hpp"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <functional>
#include <string_view>
#include <vector>

#include "necout/model.hpp"
#include "necout/rows.hpp"
#include "util/workers.hpp"

namespace varnel {

namespace {

using rows_detail::AppendedRows;
using rows_detail::RowReader;
using rows_detail::RowRun;
using rows_detail::RowsInPlace;

// Appends the first count rows of part to table.
void AppendRows(const NearFieldTable& part, std::size_t count, NearFieldTable& table) {
  const auto append = [count](const RealList& from, RealList& to) {
    to.insert(to.end(), from.begin(),
              from.begin() + static_cast<std::ptrdiff_t>(std::min(count, from.size())));
  };
  // The lists of a large part are copied at once: the copy is mostly the page faults of fresh
  // memory, which the cores take in parallel.
  RunAtOnce({[&] { append(part.x, table.x), append(part.y, table.y); },
             [&] { append(part.z, table.z), append(part.value, table.value); }},
            count >= kPointsWorthCores);
}

// The rows of a large table read in parts at once, each part writing its rows into the table's
// lists where they belong, with no copy afterwards. That place is known when the rows before a
// part's start are all one stride long, as those of the engine's layout are: the lists are made
// long enough for all rows the text could hold first, and cut to the rows read at the end. The
// parts are joined in order as long as each filled its stretch up to the next part's start;
// from the first that did not, the rows are read on one after the other. False, having done
// nothing, when a part's start is not a whole number of strides behind the first row.
bool ReadPartsInPlace(const RowReader& reader, std::string_view view, std::size_t firstRow,
                      const std::vector<std::size_t>& starts, NearFieldTable& table, RowRun& last) {
  const std::size_t stride = reader.Stride(), parts = starts.size();
  // Row k >= 1 starts at firstRow + k strides.
  std::vector<std::size_t> firsts(parts, 0);
  for (std::size_t w = 1; w < parts; ++w) {
    if (starts[w] <= firstRow || (starts[w] - firstRow) % stride != 0) return false;
    firsts[w] = (starts[w] - firstRow) / stride;
  }
  const std::size_t rows =
      std::min(MaxNearFieldRows, firsts.back() + (view.size() - starts.back()) / stride + 1);
  if (firsts.back() >= rows) return false;
  // Made long two lists at a time: that is mostly the page faults of fresh memory, which the
  // cores take in parallel.
  RunAtOnce({[&] { table.x.resize(rows), table.y.resize(rows); },
             [&] {
               table.z.resize(rows);
               if (reader.HasValues()) table.value.resize(rows);
             }});
  std::vector<RowRun> runs(parts);
  std::vector<std::function<void()>> jobs;
  for (std::size_t w = 0; w < parts; ++w) {
    jobs.push_back([&, w] {
      try {
        runs[w] = reader.Read(starts[w], w + 1 < parts ? starts[w + 1] : view.size(),
                              RowsInPlace(table, firsts[w], w + 1 < parts ? firsts[w + 1] : rows));
      } catch (...) {
        runs[w] = RowRun{};  // no rows, the failure raised if the table reaches this part
        runs[w].failure = std::current_exception();
      }
    });
  }
  RunAtOnce(jobs);

  last = runs[0];
  std::size_t end = runs[0].rows;  // the place behind the last row joined
  for (std::size_t w = 1; w < parts && !last.ended && last.next == starts[w] && end == firsts[w]; ++w) {
    last = runs[w];
    end += runs[w].rows;
  }
  table.x.resize(end);
  table.y.resize(end);
  table.z.resize(end);
  if (reader.HasValues()) table.value.resize(end);
  if (!last.ended) {
    last = reader.Read(last.next, view.size(), AppendedRows(table));
  }
  return true;
}

}  // namespace

std::size_t ReadNearFieldRows(std::string_view view, std::size_t firstRow, int polarization,
                              NearFieldTable& table, const TextParts& split, bool commaRows) {
  table.x.clear();
  table.y.clear();
  table.z.clear();
  table.value.clear();
  if (firstRow == 0 || firstRow > view.size()) return firstRow;
  // Every row ends in the text's line end; the next one begins right behind it.
  const RowReader reader(view, polarization, firstRow, commaRows);
  const std::size_t c = reader.Start();
  // Each part after the first from the row behind a line end near its share.
  const std::vector<std::size_t> starts = split.Starts(view, c, reader.RowEnd().mark, reader.RowEnd().length);
  const auto stopOf = [&](std::size_t w) { return w + 1 < starts.size() ? starts[w + 1] : view.size(); };

  RowRun last;
  if (starts.size() > 1 && ReadPartsInPlace(reader, view, firstRow, starts, table, last)) {
    if (last.failure) std::rethrow_exception(last.failure);
    return last.next;
  }

  // Otherwise the first part is read on this thread, each further one on a thread of its own
  // from a row start found by its CR, into lists of its own; the parts are joined in order as
  // long as the walk of the rows before lands on that start.
  std::vector<NearFieldTable> parts(starts.size() - 1);
  std::vector<RowRun> runs(starts.size());
  std::vector<std::function<void()>> jobs{[&] {
    reader.Reserve(table, c, view.size());
    runs[0] = reader.Read(c, stopOf(0), AppendedRows(table));
  }};
  for (std::size_t w = 1; w < starts.size(); ++w) {
    jobs.push_back([&, w] {
      const std::size_t stop = stopOf(w);
      try {
        reader.Reserve(parts[w - 1], starts[w], stop);
        runs[w] = reader.Read(starts[w], stop, AppendedRows(parts[w - 1]));
      } catch (...) {
        runs[w].failure = std::current_exception();  // raised if the table reaches this part
      }
    });
  }
  RunAtOnce(jobs);

  last = runs[0];
  for (std::size_t w = 1; w < starts.size() && !last.ended; ++w) {
    if (last.next != starts[w]) {
      // A row end other than the text's moved the walk past the part's start: read on from where it is.
      last = reader.Read(last.next, view.size(), AppendedRows(table));
      break;
    }
    NearFieldTable& part = parts[w - 1];
    const std::size_t room = MaxNearFieldRows - table.x.size();
    if (part.x.size() >= room) {
      // The table is full before the part ends (before its failing row, if any).
      AppendRows(part, room, table);
      return std::string_view::npos;
    }
    AppendRows(part, part.x.size(), table);
    last = runs[w];
  }
  if (last.failure) std::rethrow_exception(last.failure);
  return last.next;
}

}  // namespace varnel
