#!/usr/bin/env python3
"""Compile time of a generated textresouce.cpp: the definitions of
run_runtime_bench.py (N entries, a third of the texts Japanese) generated once
per size, then compiled by each compiler at each optimisation level, as
textresgen_add_library would compile it (g++ and MinGW read the UTF-16LE pair
with -ffreestanding -finput-charset=UTF-16LE, clang++ the UTF-8 copy that
textresgen-utf8 makes).

Times are CPU seconds (user + system) of the compiler, which a machine
shared with other work changes less than wall time; wall time is shown beside.
A compile that runs past --limit seconds is stopped and shown as "> limit";
the higher levels of that compiler and size are then skipped, as they only
take longer.

--cmake also builds one library through textresgen_add_library (from a
temporary install of --build-dir) in a Debug and a Release configuration and
times the compile of the library alone, the pair already generated.

usage: run_compile_bench.py [--build-dir DIR] [--entries 20000,100000]
                            [--compilers g++,clang++,x86_64-w64-mingw32-g++-posix]
                            [--levels -O0,-O1,-O2,-O3] [--limit S] [--cmake]
"""
import argparse
import os
import shutil
import subprocess
import sys
import resource
import tempfile
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(BENCH)
sys.path.insert(0, BENCH)
from run_runtime_bench import write_definitions  # noqa: E402


def generate(build_dir, folder, entries):
    """Writes textresouce.cpp/.h (UTF-16LE) in folder/utf16 and their UTF-8 copies in folder/utf8."""
    write_definitions(folder, entries)
    utf16 = os.path.join(folder, "utf16")
    utf8 = os.path.join(folder, "utf8")
    os.makedirs(utf16)
    os.makedirs(utf8)
    shutil.copyfile(os.path.join(folder, "a.txt"), os.path.join(utf16, "TextResouce.txt"))
    subprocess.run([os.path.join(build_dir, "textresgen")], cwd=utf16, check=True)
    for name in ("textresouce.cpp", "textresouce.h"):
        subprocess.run([os.path.join(build_dir, "textresgen-utf8"), os.path.join(utf16, name),
                        os.path.join(utf8, name)], check=True)
    return utf16, utf8


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(args, **kwargs):
    """(CPU seconds, wall seconds) of a command and the processes it waited for."""
    cpu = children_cpu()
    start = time.monotonic()
    subprocess.run(args, check=True, **kwargs)
    return children_cpu() - cpu, time.monotonic() - start


def compile_once(compiler, level, utf16, utf8, limit):
    """(CPU, wall) seconds of one compile, or None when it ran past limit."""
    out = os.path.join(os.path.dirname(utf16), "textresouce.o")
    if "clang" in compiler:
        args = [compiler, "-std=c++17", level, "-c", os.path.join(utf8, "textresouce.cpp")]
    else:
        args = [compiler, "-std=c++17", level, "-ffreestanding", "-finput-charset=UTF-16LE",
                "-c", os.path.join(utf16, "textresouce.cpp")]
    if "mingw" not in compiler:
        args += ["-fPIC", "-D__declspec(x)=__attribute__((visibility(\"default\")))"]
    try:
        return timed(args + ["-o", out], timeout=limit)
    except subprocess.TimeoutExpired:
        return None


def cmake_release_vs_debug(build_dir, folder, entries):
    """(CPU, wall) seconds to compile the library of textresgen_add_library in Debug and in Release."""
    prefix = os.path.join(folder, "prefix")
    subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix], check=True,
                   stdout=subprocess.DEVNULL)
    project = os.path.join(folder, "project")
    os.makedirs(project)
    shutil.copyfile(os.path.join(folder, "a.txt"), os.path.join(project, "texts.txt"))
    with open(os.path.join(project, "CMakeLists.txt"), "w") as f:
        f.write("cmake_minimum_required(VERSION 3.25)\nproject(CompileBench LANGUAGES CXX)\n"
                "find_package(TextResGen 1 REQUIRED)\n"
                "textresgen_add_library(texts texts.txt)\n")
    times = {}
    for config in ("Debug", "Release"):
        build = os.path.join(folder, "build-" + config)
        subprocess.run(["cmake", "-S", project, "-B", build, "-DCMAKE_BUILD_TYPE=" + config,
                        "-DCMAKE_PREFIX_PATH=" + prefix], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build, "--target", "textresgen_generate_texts"], check=True,
                       stdout=subprocess.DEVNULL)
        times[config] = timed(["cmake", "--build", build, "--target", "texts"], stdout=subprocess.DEVNULL)
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", default=os.path.join(SOURCE, "build", "dev"))
    parser.add_argument("--entries", default="20000,100000")
    parser.add_argument("--compilers", default="g++,clang++,x86_64-w64-mingw32-g++-posix")
    parser.add_argument("--levels", default="-O0,-O1,-O2,-O3")
    parser.add_argument("--limit", type=float, default=240)
    parser.add_argument("--cmake", action="store_true")
    args = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="textresgen-compile-bench-")
    try:
        for entries in [int(n) for n in args.entries.split(",")]:
            size_folder = os.path.join(folder, str(entries))
            os.makedirs(size_folder)
            utf16, utf8 = generate(args.build_dir, size_folder, entries)
            for compiler in [name for name in args.compilers.split(",") if name]:
                if shutil.which(compiler) is None:
                    print(f"{compiler}: not found", flush=True)
                    continue
                for level in args.levels.split(","):
                    seconds = compile_once(compiler, level, utf16, utf8, args.limit)
                    shown = (f"> {args.limit:.0f} s wall (stopped)" if seconds is None
                             else f"{seconds[0]:.1f} s CPU  ({seconds[1]:.1f} s wall)")
                    print(f"{entries} entries  {compiler:32} {level}  {shown}", flush=True)
                    if seconds is None:
                        break
            if args.cmake:
                times = cmake_release_vs_debug(args.build_dir, size_folder, entries)
                debug, release = times["Debug"], times["Release"]
                print(f"{entries} entries  textresgen_add_library  Debug {debug[0]:.1f} s CPU ({debug[1]:.1f} s wall)  "
                      f"Release {release[0]:.1f} s CPU ({release[1]:.1f} s wall)  "
                      f"Release/Debug {release[0] / debug[0]:.2f}", flush=True)
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
