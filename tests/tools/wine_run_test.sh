#!/usr/bin/env bash
# tools/wine_run.sh against a stand-in for Wine that plays a script of runs:
# each run is "<status> <output>", where output "-" means none. Checks the
# status passed on, how often the program was started, what reached the
# output and that the arguments arrived whole.
set -uo pipefail
runner=$1
work=$(mktemp -d)
trap 'rm -rf "${work}"' EXIT

cat > "${work}/wine" <<'FAKE'
#!/usr/bin/env bash
count=$(( $(cat "${FAKE_DIR}/count" 2>/dev/null || echo 0) + 1 ))
echo "${count}" > "${FAKE_DIR}/count"
printf '%s\n' "$@" > "${FAKE_DIR}/arguments"
read -r status output <<< "$(sed -n "${count}p" "${FAKE_DIR}/script")"
[[ ${output} == - ]] || echo "${output}"
exit "${status}"
FAKE
chmod +x "${work}/wine"

failures=0
# name | runs | expected status | expected starts | expected output
while IFS='|' read -r name runs want_status want_starts want_output; do
  rm -f "${work}/count"
  tr ';' '\n' <<< "${runs}" > "${work}/script"
  output=$(FAKE_DIR="${work}" "${runner}" "${work}/wine" 'C:\a b.exe' --flag 2>"${work}/stderr")
  status=$?
  starts=$(cat "${work}/count")
  if [[ ${status} != "${want_status}" || ${starts} != "${want_starts}" || ${output} != "${want_output}" ]]; then
    echo "FAIL ${name}: status ${status}, ${starts} start(s), output '${output}'"
    failures=$((failures + 1))
  fi
  if [[ $(cat "${work}/arguments") != $'C:\\a b.exe\n--flag' ]]; then
    echo "FAIL ${name}: arguments arrived as $(cat "${work}/arguments")"
    failures=$((failures + 1))
  fi
done <<'CASES'
a passing run stands|0 ok|0|1|ok
a passing run without output stands|0 -|0|1|
a failing run that wrote stands|1 [  FAILED  ]|1|1|[  FAILED  ]
a silent failure is started once more|53 -;0 ok|0|2|ok
a silent failure twice keeps the second status|1 -;3 -|3|2|
a silent failure then a real failure fails|1 -;1 [  FAILED  ]|1|2|[  FAILED  ]
CASES

grep -q 'starting it once more' "${work}/stderr" || { echo "FAIL the second start is not reported"; failures=$((failures + 1)); }
echo "${failures} failure(s)"
[[ ${failures} -eq 0 ]]
