#include "batch_encoding.hpp"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "encode_keywords.hpp"
#include "keyword_values.hpp"
#include "python_errors.hpp"
#include "symbol_binding.hpp"

namespace korvel::python {
namespace {

constexpr std::int64_t kMaxJobs = 256;
// Items per thread in one chunk: enough to make starting the threads a small
// cost, few enough to keep the memory of a chunk small.
constexpr std::size_t kItemsPerJob = 256;

// Runs task(0) ... task(count - 1) on up to `jobs` threads, this one included.
// When no further thread can be started, the ones there do all the work.
void runParallel(std::size_t count, std::size_t jobs, const std::function<void(std::size_t)>& task)
{
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            task(i);
        }
    };
    std::vector<std::thread> threads;
    try {
        for (std::size_t j = 1; j < std::min(jobs, count); ++j) {
            threads.emplace_back(work);
        }
    } catch (const std::system_error&) {
    }
    work();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

class BatchEncoder {
public:
    BatchEncoder(const py::object& jobs, const py::kwargs& keywords)
        : settings_(encodeSettingsOf(keywords, "encode_many")), jobs_(jobCount(jobs))
    {
    }

    [[nodiscard]] std::size_t jobs() const noexcept { return jobs_; }
    [[nodiscard]] std::size_t chunkSize() const noexcept { return jobs_ * kItemsPerJob; }

    // The results of one chunk, in order: a Symbol or an exception object.
    py::list encodeChunk(const py::list& items) const
    {
        const std::size_t count = items.size();
        std::vector<SymbolHandle> symbols(count);
        std::vector<Outcome> outcomes(count);
        std::vector<py::object> refused(count);
        for (std::size_t i = 0; i < count; ++i) {
            try {
                symbols[i].options = symbolOptionsFor(settings_, items[i]);
            } catch (py::error_already_set& error) {
                refused[i] = error.value();
            }
        }
        {
            const py::gil_scoped_release release;
            runParallel(count, jobs_, [&](std::size_t i) {
                if (!refused[i]) {
                    outcomes[i] = encodeItem(symbols[i]);
                }
            });
        }
        py::list results(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (refused[i]) {
                results[i] = std::move(refused[i]);
            } else if (outcomes[i].ok()) {
                results[i] = py::cast(std::move(symbols[i]));
            } else {
                results[i] = exceptionFor(outcomes[i]);
            }
        }
        return results;
    }

private:
    static Outcome encodeItem(SymbolHandle& item) noexcept
    {
        try {
            return encode(item.options, item.symbol);
        } catch (...) {
            return ResultCode::UnknownException;
        }
    }

    static std::size_t jobCount(const py::object& jobs)
    {
        if (jobs.is_none()) {
            return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMaxJobs);
        }
        return static_cast<std::size_t>(integerValue("jobs", jobs, 1, kMaxJobs, "an integer from 1 to 256"));
    }

    EncodeSettings settings_;
    std::size_t jobs_;
};

}  // namespace

void defineBatchEncoder(py::module_& module)
{
    py::class_<BatchEncoder>(module, "_BatchEncoder",
                             "The engine of korvel.encode_many: the options checked once, the jobs, "
                             "and encode_chunk(list) -> list of Symbol or exception objects.")
        .def(py::init<const py::object&, const py::kwargs&>(), py::arg("jobs"))
        .def_property_readonly("jobs", &BatchEncoder::jobs)
        .def_property_readonly("chunk_size", &BatchEncoder::chunkSize)
        .def("encode_chunk", &BatchEncoder::encodeChunk, py::arg("items"));
}

}  // namespace korvel::python
