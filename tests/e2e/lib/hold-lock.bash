# Holding a game's lock as the window does, for the end-to-end tests (sourced, not run).

# hold_lock LOCK_FILE COMMAND...: runs COMMAND while the lock is held, with its exit status.
# The window on Linux holds an flock on the lock file; one on Windows, also under Wine, a lock
# on the byte kLockFileByte (platform/Os.h) that Linux sees as a record lock. Both are held, so
# the CLI of either system sees the game taken. The holder goes by the window's program name.
hold_lock() {
  local file=$1
  shift
  perl -e '
    use Fcntl qw(:DEFAULT :flock F_SETLK F_WRLCK SEEK_SET);
    $0 = "qvm-image-wizard";
    my $file = shift;
    sysopen(my $fh, $file, O_RDWR | O_CREAT) or die "$file: $!\n";
    flock($fh, LOCK_EX | LOCK_NB) or die "flock $file: $!\n";
    # struct flock on x86-64: type, whence, start, length, pid.
    my $byte = pack("s s x4 q q i x4", F_WRLCK, SEEK_SET, 1 << 62, 1, 0);
    fcntl($fh, F_SETLK, $byte) or die "fcntl $file: $!\n";
    system(@ARGV);
    exit($? >> 8);
  ' "$file" "$@"
}
