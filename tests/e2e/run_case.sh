#!/usr/bin/env bash
# Runs one case of cases.tsv end to end: arranges a scene, runs karvonel-convert
# in it, and checks its exit status, what it printed, the output file, and
# that nothing else changed and nothing was left behind.
#
#   run_case.sh KARVONEL_CONVERT CASE_NAME [FAULT_SHIM]
#
# A scene is a folder with in/points.csv (two points unless the case says
# otherwise), out/points.igs holding an earlier output, and the working folder
# work/, where para.sec goes. In a case's arguments and expected texts, {D}
# stands for the scene's folder. An exit status SIGxxx expects the program to
# have ended by that signal.
set -uo pipefail
convert=$(realpath "$1")
name=$2
shim=${3:+$(realpath "$3")}
here=$(cd "$(dirname "$0")" && pwd)
row=$(awk -F'\t' -v n="$name" '$1 == n' "$here/cases.tsv")
[[ -n $row ]] || { echo "no case $name"; exit 2; }
# Tabs become a separator that is not white space, so empty fields stay fields.
IFS=$'\x1f' read -r _ setup args want_status want_err want_out outcome <<<"${row//$'\t'/$'\x1f'}"

scene=$(mktemp -d /tmp/karvonel-e2e.XXXXXX)
mounts=()
holder=
cleanup() {
  [[ -n $holder ]] && kill "$holder" 2>/dev/null
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  chmod -R u+rwx "$scene" 2>/dev/null
  rm -rf "$scene" "$scene.bin" "$scene.ended"
}
trap cleanup EXIT
mkdir -p "$scene/in" "$scene/out" "$scene/work"
printf '1,2,3\n4,5,6\n' >"$scene/in/points.csv"
earlier=$'an earlier output, which a failed run must keep\r\n'
printf '%s' "$earlier" >"$scene/out/points.igs"
skip() { echo "skipped: $*"; exit 77; }
needs_root() { [[ $(id -u) == 0 ]] || skip "needs root $*"; }

# The case's arrangements, in order.
stdin_from=/dev/null
run_as=
signal=
work_removed=
limits=()
env_vars=()
IFS=';' read -ra steps <<<"$setup"
for step in "${steps[@]}"; do
  read -r verb rest <<<"$step"
  read -r a b _ <<<"$rest"
  case $verb in
    '' | -) ;;
    input) printf '%b' "$rest" >"$scene/in/points.csv" ;;
    copy) cp "$here/$a" "$scene/in/points.csv" ;;
    points) seq "$a" | sed 's/$/.5,-2.25,1E2/' >"$scene/in/points.csv" ;;
    file) mkdir -p "$(dirname "$scene/$a")"; printf '%b' "${rest#"$a" }" >"$scene/$a" ;;
    mkdir) mkdir -p "$scene/$a" ;;
    symlink) ln -s "${a//\{D\}/$scene}" "$scene/$b" ;;
    hardlink) ln "$scene/$a" "$scene/$b" ;;
    fifo) mkfifo "$scene/$a" ;;
    mknod) mknod "$scene/$a" c 1 3 ;;  # a null device of the scene's own
    socket) perl -MIO::Socket::UNIX -e 'IO::Socket::UNIX->new(Type => SOCK_STREAM(),
      Local => shift, Listen => 1) or die "socket: $!"' "$scene/$a" ;;
    work-removed) work_removed=1 ;;  # the run starts in work/, then it is removed
    chmod) chmod "$a" "$scene/$b" ;;
    chown) chown "$a" "$scene/$b" ;;
    rm) rm -f "$scene/$a" ;;
    umask) umask "$a" ;;
    root) needs_root ;;
    tmpfs) needs_root to mount a tmpfs
      mount -t tmpfs -o size="$a" tmpfs "$scene/$b" || skip "cannot mount a tmpfs"
      mounts+=("$scene/$b") ;;
    user) needs_root to run as another user; chown -R nobody "$scene"; run_as=nobody
      # A copy of the program where that user can reach it, wherever the
      # build lies (a home folder of mode 0700, say).
      mkdir -m 755 "$scene.bin"; cp "$convert" "$scene.bin/"; convert=$scene.bin/${convert##*/} ;;
    # Even a shared lock of another process keeps a conversion out.
    lock) (exec 9<>"$scene/$a" && flock -s -n 9 && exec sleep 60) & holder=$!; sleep 0.2 ;;
    zeros) stdin_from="zeros:$a" ;;
    limit) [[ -z ${KARVONEL_SANITIZED:-} ]] || skip "limits and sanitizers do not mix"
      limits+=("-$a" "$b") ;;
    signal) signal=$a ;;
    fault)
      [[ -n $shim && -z ${KARVONEL_SANITIZED:-} ]] || skip "no fault shim (or a sanitized build)"
      env_vars+=("LD_PRELOAD=$shim" "KARVONEL_FAULT=$a") ;;
    env) env_vars+=("$a") ;;
    no-earlier) earlier=; rm -f "$scene/out/points.igs" ;;
    *) echo "unknown step: $verb"; exit 2 ;;
  esac
done
[[ -n $earlier && ! -e $scene/out/points.igs ]] && printf '%s' "$earlier" >"$scene/out/points.igs"

# What the scene holds before the run, but for the output and para.sec.
snapshot() {
  (cd "$scene" && find . \( -path ./out/points.igs -o -path ./work/para.sec \) -prune -o \
    \( -type f -o -type l \) -printf '%p %m %l\n' -exec md5sum {} + 2>/dev/null | sort)
}
before=$(snapshot)
temporaries_before=$(find "$scene" -name '*.tmp' | sort)
section=$scene/work/para.sec
section_before=
[[ -f $section ]] && section_before=$(md5sum "$section")

# The run.
args=${args//\{D\}/$scene}
eval "argv=($args)"
cmd=(env "${env_vars[@]}" "$convert" "${argv[@]}")
[[ -n $run_as ]] && cmd=(runuser -u "$run_as" -- "${cmd[@]}")
(
  cd "$scene/work" || exit 2
  [[ -n $work_removed ]] && rmdir "$scene/work"
  # The tool starts with standard input, output and error only, whatever the
  # test runner left open.
  for fd in $(ls /proc/$BASHPID/fd); do
    ((fd > 2 && fd != 255)) && eval "exec $fd>&-"
  done 2>/dev/null
  ((${#limits[@]})) && ulimit "${limits[@]}"
  if [[ $stdin_from == zeros:* ]]; then
    head -c "${stdin_from#zeros:}" /dev/zero | "${cmd[@]}" >"$scene.out" 2>"$scene.err"
  elif [[ -n $signal ]]; then
    # perl starts the program, sends the signal once the point loop is under
    # way (para.sec has grown) or the program waits for a FIFO's writer, and
    # says how the program ended: its exit status, or the signal that ended
    # it, which a shell's $? cannot tell apart. One still running 20 s later
    # is killed.
    perl -e 'my ($signal, $ended) = splice @ARGV, 0, 2;
      defined(my $pid = fork) or die "fork: $!";
      if ($pid == 0) { exec @ARGV; exit 127 }
      sub waits_for_writer { open my $w, "<", "/proc/$pid/wchan" or return 0; <$w> =~ /fifo|partner/ }
      for (1 .. 200) { last if -s "para.sec" or waits_for_writer; select undef, undef, undef, 0.02 }
      kill $signal, $pid;
      $SIG{ALRM} = sub { kill "KILL", $pid };
      alarm 20;
      waitpid $pid, 0;
      open my $f, ">", $ended or die "$ended: $!";
      print $f ($? & 127 ? "signal " . ($? & 127) : $? >> 8);' \
      "$signal" "$scene.ended" "${cmd[@]}" </dev/null >"$scene.out" 2>"$scene.err"
  else
    "${cmd[@]}" <"$stdin_from" >"$scene.out" 2>"$scene.err"
  fi
)
status=$?
if [[ -f $scene.ended ]]; then
  status=$(<"$scene.ended")
  [[ $status == signal* ]] && status=SIG$(kill -l "${status#signal }")
fi
err=$(<"$scene.err"); out=$(<"$scene.out")
rm -f "$scene.err" "$scene.out"

failed=0
fail() { echo "FAIL: $*"; failed=1; }
expand() { local t=${1//\{D\}/$scene}; printf '%b' "${t//\\n/$'\n'}"; }
[[ $status == "$want_status" ]] || fail "exit status $status, expected $want_status"
[[ $err == "$(expand "$want_err")" ]] || fail "standard error:"$'\n'"$err"$'\n'"expected:"$'\n'"$(expand "$want_err")"
[[ $want_out == - || $out == "$(expand "$want_out")" ]] || fail "standard output:"$'\n'"$out"
# A case's outcome gone:PATH expects that file to be removed.
changed=$(comm -23 <(echo "$before") <(snapshot))
[[ $outcome == gone:* ]] && changed=$(grep -vF "./${outcome#gone:}" <<<"$changed")
[[ -z $changed ]] || fail "changed or removed: $changed"
leftovers=$(comm -13 <(echo "$temporaries_before") <(find "$scene" -name '*.tmp' | sort))
[[ -z $leftovers ]] || fail "left behind: $leftovers"
# A para.sec the run wrote holds whole records. SIGKILL may cut one; the next
# run writes the file afresh.
if [[ -f $section && ! -L $section && $signal != KILL &&
      $(md5sum "$section") != "$section_before" ]] && (($(stat -c %s "$section") % 82)); then
  fail "para.sec ends inside a record"
fi
output=$scene/out/points.igs
case $outcome in
  kept) printf '%s' "$earlier" | cmp -s - "$output" || fail "the earlier output changed" ;;
  none) [[ ! -e $output ]] || fail "an output was written" ;;
  same:*) cmp -s "$output" "$here/expected/${outcome#same:}" ||
    fail "output differs from expected/${outcome#same:}" ;;
  mode:*) [[ $(stat -c %a "$output") == "${outcome#mode:}" ]] ||
    fail "output mode $(stat -c %a "$output"), expected ${outcome#mode:}" ;;
  records:*) (($(stat -c %s "$output") == ${outcome#records:} * 82)) ||
    fail "output of $(stat -c %s "$output") bytes, expected ${outcome#records:} records" ;;
  gone:*) [[ ! -e $scene/${outcome#gone:} ]] || fail "${outcome#gone:} is still there" ;;
  today) grep -q "15H$(date +%Y%m%d)\." "$output" || fail "the stamp is not today's date" ;;
  -) ;;
  *) fail "unknown outcome $outcome" ;;
esac
exit $failed
