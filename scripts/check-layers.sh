#!/usr/bin/env bash
# Fails when an #include crosses a layer the wrong way:
#   - nothing outside src/ui includes the interface (ui/...);
#   - the core (all of src/ outside src/ui and src/platform/qt) includes no Qt;
#   - the subsystems (display, overlay, input, pip) take their services by
#     constructor and never include app/AppContext.h;
#   - nothing outside src/platform writes an operating-system path or URL:
#     where things live on a system is the platform's to say.
# Prints each offending line as file:line: text, with the rule it breaks.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0

# Lists the include lines of the given files or directories matching an
# extended regular expression, as file:line:text.
includes() {
    local pattern=$1
    shift
    grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*${pattern}" "$@" || true
}

report() {
    local rule=$1 found=$2
    if [ -n "$found" ]; then
        echo "check-layers: $rule" >&2
        sed 's/^/  /' <<<"$found" >&2
        status=1
    fi
}

report "only src/ui includes the interface" \
    "$(includes '["<]ui/' src --exclude-dir=ui)"

core_dirs=()
for dir in src/*/; do
    [ "$dir" = "src/ui/" ] || core_dirs+=("$dir")
done
report "the core includes no Qt" \
    "$(includes '<Qt?[A-Z][A-Za-z0-9]*(/|>)' "${core_dirs[@]}" | grep -v '^src/platform/qt/' || true)"

report "subsystems get their services by constructor, not from app/AppContext.h" \
    "$(includes '["<]app/AppContext\.h[">]' src/display src/overlay src/input src/pip)"

report "only src/platform names operating-system paths and URLs" \
    "$(grep -rnE --include='*.h' --include='*.cpp' \
        '"[^"]*(~/|file://|x-apple|/(usr|etc|var|System|Library|Applications)/)' src --exclude-dir=platform || true)"

[ "$status" -eq 0 ] && echo "check-layers: ok"
exit "$status"
