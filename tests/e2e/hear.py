#!/usr/bin/python3
"""Tells which of the game's samples sound in its recorded output.

    hear.py OUTPUT.raw START_BYTE SOUNDS_DIR [NAME=FREQ ...]
    hear.py --count NAME OUTPUT.raw START_BYTE END_BYTE SOUNDS_DIR

OUTPUT.raw is what the game mixed, 16-bit signed stereo at 44100 Hz, as SDL's
disk device writes it while it grows. The first form matches the
stretch of 32768 frames after START_BYTE against each sample of SOUNDS_DIR,
played at its frequency (1000 its own pitch, as play_sample takes it;
NAME=FREQ for another): its power spectrum is fitted as a sum of theirs with no
negative parts. It prints "level L" (the peak, 0..32768) and a line
"NAME SHARE" for each sample, the share of the stretch's power that it
explains, largest first. The second form prints how many times the sample
NAME, played at its own pitch, starts between the two marks: the peaks of its
normalised cross-correlation with the output.
"""
import glob
import os
import sys

import numpy as np

RATE = 44100
FRAMES = 32768
SEGMENT = 4096


def power_spectrum(signal):
    """Welch's mean power spectrum over half-overlapping Hann segments."""
    window = np.hanning(SEGMENT)
    starts = range(0, len(signal) - SEGMENT + 1, SEGMENT // 2)
    spectra = [np.abs(np.fft.rfft(signal[s:s + SEGMENT] * window)) ** 2 for s in starts]
    return np.mean(spectra, axis=0)


def read_sample(path):
    with open(path, 'rb') as f:
        data = f.read()
    at = 12
    rate, bits, channels, pcm = 22050, 16, 1, b''
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], int.from_bytes(data[at + 4:at + 8], 'little')
        body = data[at + 8:at + 8 + size]
        if tag == b'fmt ':
            channels = int.from_bytes(body[2:4], 'little')
            rate = int.from_bytes(body[4:8], 'little')
            bits = int.from_bytes(body[14:16], 'little')
        elif tag == b'data':
            pcm = body
        at += 8 + size + (size & 1)
    if bits == 16:
        signal = np.frombuffer(pcm[:len(pcm) // 2 * 2], '<i2').astype(float)
    else:
        signal = (np.frombuffer(pcm, 'u1').astype(float) - 128) * 256
    if channels == 2:
        signal = signal[: len(signal) // 2 * 2].reshape(-1, 2).mean(axis=1)
    return signal, rate


def as_played(path, freq):
    """One play of the sample as the mixer plays it at freq (1000 = its own pitch)."""
    signal, rate = read_sample(path)
    step = rate / RATE * freq / 1000
    length = int(len(signal) / step)
    return np.interp(np.arange(length) * step, np.arange(len(signal)), signal)


def nnls(a, b, iterations=3000):
    """Least squares a x = b with x >= 0, by projected gradient."""
    x = np.zeros(a.shape[1])
    step = 1.0 / np.linalg.norm(a, 2) ** 2
    for _ in range(iterations):
        x = np.maximum(0, x - step * (a.T @ (a @ x - b)))
    return x


def read_output(output, start, frames):
    """Frames from the first whole one at or after the byte start: the file
    grows by what its writer has, not by whole frames."""
    with open(output, 'rb') as f:
        f.seek((max(start, 0) + 3) // 4 * 4)
        raw = f.read(frames * 4)
    pcm = np.frombuffer(raw[: len(raw) // 4 * 4], '<i2').astype(float)
    return pcm.reshape(-1, 2).mean(axis=1)


MATCH = 0.6      # a normalised correlation this high is the sample itself
APART = 0.3      # s: peaks closer than this are one start


def count(name, output, start, end, sounds):
    heard = read_output(output, start, (end - start) // 4)
    template = as_played(os.path.join(sounds, name + '.wav'), 1000)
    if len(heard) <= len(template):
        print(0)
        return
    size = 1 << int(np.ceil(np.log2(len(heard) + len(template))))
    product = np.fft.rfft(heard, size) * np.conj(np.fft.rfft(template, size))
    lags = len(heard) - len(template)
    correlation = np.fft.irfft(product, size)[:lags]
    running = np.concatenate([[0], np.cumsum(heard ** 2)])
    energy = running[len(template):len(template) + lags] - running[:lags]
    norm = np.sqrt(np.maximum(energy, 1e-9) * np.sum(template ** 2))
    starts, last = 0, None
    for lag in np.nonzero(correlation / norm > MATCH)[0]:
        if last is None or lag - last > APART * RATE:
            starts += 1
        last = lag
    print(starts)


def main():
    if sys.argv[1] == '--count':
        name, output, start, end, sounds = sys.argv[2:7]
        count(name, output, int(start), int(end), sounds)
        return
    output, start, sounds = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    freqs = dict(arg.split('=') for arg in sys.argv[4:])
    heard = read_output(output, start, FRAMES)
    print('level %d' % (np.max(np.abs(heard)) if len(heard) else 0))
    if len(heard) < SEGMENT:
        return
    names, spectra = [], []
    for path in sorted(glob.glob(os.path.join(sounds, '*.wav'))):
        name = os.path.splitext(os.path.basename(path))[0]
        names.append(name)
        # looped to fill the stretch, so that short cues and long loops weigh alike
        played = as_played(path, float(freqs.get(name, 1000)))
        spectrum = power_spectrum(np.resize(played, FRAMES) if len(played) else np.zeros(FRAMES))
        spectra.append(spectrum / np.sum(spectrum))
    target = power_spectrum(heard)
    total = np.sum(target)
    if total == 0:
        return
    weights = nnls(np.array(spectra).T, target / total)
    for share, name in sorted(zip(weights, names), reverse=True):
        print('%s %.3f' % (name, share))


main()
