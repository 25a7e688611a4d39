# Sourced by the web test and the web benchmark: the page served on localhost by Python's server.

# serve_page FOLDER LOG: sets server_pid and url; false when the server did not start.
# Unbuffered (-u), or the line naming the port stays in the buffer when LOG is a file.
serve_page() {
    local port=""
    python3 -u -m http.server --bind 127.0.0.1 --directory "$1" 0 >"$2" 2>&1 &
    server_pid=$!
    for _ in $(seq 100); do
        port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$2" | head -n1)
        [ -n "$port" ] && break
        sleep 0.1
    done
    [ -n "$port" ] || return 1
    url="http://127.0.0.1:$port/"
}
