"""Sound synthesis: band-limited chip oscillators, noise, envelopes, and the game's sound effects."""
import os
import subprocess
import tempfile
import wave

import numpy as np

EFFECT_RATE = 44100


def write_wav(path, samples, rate):
    """Writes mono 16-bit PCM; samples are floats in [-1, 1]."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = np.clip(np.rint(np.asarray(samples) * 32767.0), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as handle:
        handle.setnchannels(1)
        handle.setsampwidth(2)
        handle.setframerate(rate)
        handle.writeframes(data.tobytes())


def write_ogg(path, samples, rate, serial):
    """Encodes Ogg Vorbis with oggenc; the fixed stream serial keeps the file reproducible."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        source = os.path.join(scratch, "source.wav")
        write_wav(source, samples, rate)
        subprocess.run(["oggenc", "--quiet", "--quality", "5", "--serial", str(serial), "--discard-comments",
                        "--output", path, source], check=True)


def phase_of(frequency, rate):
    """Phase in cycles for a (possibly changing) frequency, one value per sample."""
    frequency = np.asarray(frequency, dtype=np.float64)
    return np.cumsum(frequency) / rate


def pulse(phase, frequency, rate, duty=0.5):
    """Band-limited pulse wave: only harmonics below Nyquist are summed, so nothing aliases."""
    top = float(np.max(frequency))
    harmonics = max(1, int((rate / 2.0) / max(top, 1.0)))
    result = np.zeros_like(phase)
    for k in range(1, harmonics + 1):
        result += (2.0 / (k * np.pi)) * np.sin(k * np.pi * duty) * np.cos(2 * np.pi * k * (phase - duty / 2))
    return result * 1.25


def triangle(phase, frequency, rate):
    top = float(np.max(frequency))
    harmonics = max(1, int((rate / 2.0) / max(top, 1.0)))
    result = np.zeros_like(phase)
    for k in range(1, harmonics + 1, 2):
        sign = 1.0 if (k // 2) % 2 == 0 else -1.0
        result += sign * np.sin(2 * np.pi * k * phase) / (k * k)
    return result * (8.0 / np.pi ** 2)


def chip_noise(length, rng, hold=1):
    """Noise like an old sound chip's: random levels held for a few samples."""
    values = rng.choice((-1.0, 1.0), size=(length + hold - 1) // hold)
    return np.repeat(values, hold)[:length]


def low_pass(signal, cutoff, rate):
    """One-pole low-pass; cutoff may change per sample."""
    cutoff = np.broadcast_to(np.asarray(cutoff, dtype=np.float64), signal.shape)
    alpha = 1.0 - np.exp(-2.0 * np.pi * cutoff / rate)
    output = np.empty_like(signal)
    state = 0.0
    for index in range(len(signal)):
        state += alpha[index] * (signal[index] - state)
        output[index] = state
    return output


def low_pass_steep(signal, cutoff, rate, poles=3):
    """Several one-pole stages in a row: a much steeper slope above the cutoff."""
    for _ in range(poles):
        signal = low_pass(signal, cutoff, rate)
    return signal


def envelope(length, rate, attack, decay_time, release=0.01):
    t = np.arange(length) / rate
    shape = np.minimum(1.0, t / max(attack, 1e-6)) * np.exp(-t / max(decay_time, 1e-6))
    tail = max(1, int(release * rate))
    shape[-tail:] *= np.linspace(1.0, 0.0, tail)
    return shape


def normalise(signal, peak):
    return signal * (peak / max(np.max(np.abs(signal)), 1e-9))


def splash():
    """A splash of water: a burst of filtered noise and a few bubbles."""
    rate = EFFECT_RATE
    length = int(0.65 * rate)
    rng = np.random.default_rng(501)
    t = np.arange(length) / rate
    noise = rng.uniform(-1, 1, length)
    body = normalise(low_pass_steep(noise, 2500 * np.exp(-t * 3) + 400, rate, poles=2), 1.0)
    body *= envelope(length, rate, 0.004, 0.14)
    hiss = low_pass(noise - low_pass(noise, 3000, rate), 9000, rate) * envelope(length, rate, 0.002, 0.06) * 0.4
    bubbles = np.zeros(length)
    for start, low, high in ((0.08, 380, 900), (0.17, 500, 1150), (0.27, 420, 980), (0.36, 600, 1300)):
        count = int(0.05 * rate)
        begin = int(start * rate)
        sweep = np.linspace(low, high, count)
        tone = np.sin(2 * np.pi * phase_of(sweep, rate)) * np.sin(np.linspace(0, np.pi, count))
        bubbles[begin:begin + count] += tone * 0.35
    return normalise(body + hiss + bubbles, 0.8)


def lose_health():
    """Hit sound: a sharp crunch and a falling two-step chip tone."""
    rate = EFFECT_RATE
    rng = np.random.default_rng(502)
    first = int(0.09 * rate)
    second = int(0.38 * rate)
    tone_a = pulse(phase_of(np.full(first, 659.25), rate), 659.25, rate, 0.5) * envelope(first, rate, 0.002, 0.2)
    t = np.arange(second) / rate
    sweep = 523.25 * np.exp(-t * 2.8) * (1 + 0.03 * np.sin(2 * np.pi * 14 * t))
    tone_b = pulse(phase_of(sweep, rate), sweep, rate, 0.25) * envelope(second, rate, 0.002, 0.22, 0.04)
    signal = np.concatenate([tone_a, tone_b])
    crunch = chip_noise(int(0.05 * rate), rng, 3) * envelope(int(0.05 * rate), rate, 0.001, 0.015)
    signal[:len(crunch)] += crunch * 0.6
    return normalise(signal, 0.7)


def throw_laser():
    """The throw: a quick downward laser chirp over a breathy whoosh."""
    rate = EFFECT_RATE
    length = int(0.32 * rate)
    rng = np.random.default_rng(503)
    t = np.arange(length) / rate
    sweep = 300 + 1500 * np.exp(-t * 14)
    chirp = pulse(phase_of(sweep, rate), sweep, rate, 0.25) * envelope(length, rate, 0.002, 0.08, 0.03)
    whoosh_noise = rng.uniform(-1, 1, length)
    band = low_pass_steep(whoosh_noise, 1600 * np.exp(-t * 5) + 300, rate)
    band -= low_pass(band, 250, rate)
    whoosh = normalise(band, 1.0) * np.sin(np.pi * np.minimum(t / 0.3, 1.0))
    return normalise(chirp + whoosh * 0.45, 0.75)


def explosion():
    """The bomb: a crunchy, bit-crushed blast with a low boom, 0.7 seconds long."""
    rate = EFFECT_RATE
    length = int(0.7 * rate)
    rng = np.random.default_rng(504)
    t = np.arange(length) / rate
    raw = rng.uniform(-1, 1, length)
    held = np.repeat(raw[::6], 6)[:length]   # sample-and-hold for the crunch
    blast = low_pass_steep(held, 5000 * np.exp(-t * 6) + 300, rate, poles=2)
    blast = normalise(blast, 1.0) * envelope(length, rate, 0.002, 0.18, 0.05)
    boom_frequency = 38 + 70 * np.exp(-t * 9)
    boom = np.sin(2 * np.pi * phase_of(boom_frequency, rate)) * envelope(length, rate, 0.003, 0.22, 0.05)
    crackle = chip_noise(length, rng, 40) * (rng.random(length) < 0.02) * np.exp(-t * 4)
    signal = np.tanh((blast * 1.2 + boom * 1.1 + crackle * 0.4) * 1.4)
    signal *= np.linspace(1.0, 0.0, length) ** 0.3
    return normalise(signal, 0.7)


def build(assets_dir):
    sounds = "%s/Sounds" % assets_dir
    write_wav("%s/water.wav" % sounds, splash(), EFFECT_RATE)
    write_wav("%s/loseHealth2.wav" % sounds, lose_health(), EFFECT_RATE)
    write_ogg("%s/laserRetro_003.ogg" % sounds, throw_laser(), EFFECT_RATE, serial=1003)
    write_ogg("%s/explosionCrunch_003.ogg" % sounds, explosion(), EFFECT_RATE, serial=1004)
