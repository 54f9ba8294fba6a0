-- With LIMIT set, each wrk thread stops after that many answers. At the
-- end, the errors of every kind are printed (wrk prints the statuses other
-- than 2xx and 3xx itself).
local limit = tonumber(os.getenv("LIMIT") or "0")
local count = 0

function response(status, headers, body)
    count = count + 1
    if limit > 0 and count >= limit then
        wrk.thread:stop()
    end
end

function done(summary, latency, requests)
    local e = summary.errors
    io.write(string.format("statuses: %d requests, errors: connect %d, read %d, write %d, timeout %d, status %d\n",
        summary.requests, e.connect, e.read, e.write, e.timeout, e.status))
end
