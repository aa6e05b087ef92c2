# Counting lets other threads run, and Ctrl+C stops a long count. Each runs in a child process
# with a time limit, as a lock held by mistake would hang it rather than fail it.
import subprocess
import sys

SIDE_BY_SIDE = r'''
import os, sys, threading, glyphmeter
fifos = [os.path.join(sys.argv[1], f"pipe{i}") for i in range(2)]
results = {}
for fifo in fifos:
    os.mkfifo(fifo)
    threading.Thread(target=lambda f=fifo: results.__setitem__(f, glyphmeter.count(f))).start()
# Each open waits until a count has opened that pipe, so both must be counting at once, and this
# thread must run while they do.
writers = [os.open(fifo, os.O_WRONLY) for fifo in fifos]
for _ in range(64):
    for writer in writers:
        os.write(writer, b"abc " * 4096)
for writer in writers:
    os.close(writer)
for thread in threading.enumerate()[1:]:
    thread.join()
print(*(results[fifo].total for fifo in fifos))
'''

INTERRUPTED = r'''
import os, signal, sys, threading, time, glyphmeter
fifo = os.path.join(sys.argv[1], "endless")
os.mkfifo(fifo)
def feed():
    writer = os.open(fifo, os.O_WRONLY)
    try:
        while True:
            os.write(writer, b"the text that never ends " * 4096)
    except BrokenPipeError:
        pass
threading.Thread(target=feed, daemon=True).start()
threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
start = time.monotonic()
try:
    glyphmeter.count(fifo, ngrams=int(sys.argv[2]))
except KeyboardInterrupt:
    print(f"interrupted after {time.monotonic() - start:.1f} s;",
          glyphmeter.count_bytes(b"and counting goes on").total)
    sys.exit(0)
sys.exit("the count ended by itself")
'''


def run_child(script, *args):
    return subprocess.run([sys.executable, "-c", script, *args], capture_output=True, text=True,
                          timeout=30)


def test_two_threads_count_side_by_side_while_the_caller_runs(tmp_path):
    done = run_child(SIDE_BY_SIDE, str(tmp_path))
    assert done.returncode == 0, done.stderr
    assert done.stdout.split() == [str(64 * 4096 * 3)] * 2


def test_ctrl_c_stops_a_count_on_an_endless_pipe(tmp_path):
    for ngrams in (1, 2):
        folder = tmp_path / str(ngrams)
        folder.mkdir()
        done = run_child(INTERRUPTED, str(folder), str(ngrams))
        assert done.returncode == 0, done.stderr
        assert done.stdout.startswith("interrupted after") and done.stdout.endswith(" 17\n")
        assert float(done.stdout.split()[2]) < 5
