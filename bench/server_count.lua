-- Prints the errors of every kind at the end (wrk prints the statuses other
-- than 2xx and 3xx itself).
function done(summary, latency, requests)
    local e = summary.errors
    io.write(string.format("statuses: %d requests, errors: connect %d, read %d, write %d, timeout %d, status %d\n",
        summary.requests, e.connect, e.read, e.write, e.timeout, e.status))
end
