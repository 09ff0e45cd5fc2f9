"""Small synthesis toolkit for the program's short interface sounds.

Signals are plain lists of floats (nominally -1..1) at ``RATE`` samples per
second.  Noise comes from ``random.Random`` seeded by the caller, whose
sequence is fixed for a given integer seed, so every build produces the same
bytes.

    n_samples(seconds)                      silence(seconds)
    tone(freq, seconds, partials=((1, 1),), phase=0.0)
        freq may be a number or a function of time (seconds) for glides;
        partials are (frequency ratio, amplitude) pairs.
    exp_env(seconds, decay, attack=0.002)   exponential decay with a short
                                            raised-cosine attack
    adsr(seconds, attack, decay, sustain, release)
    noise(seconds, rng)                     white noise
    multiply(a, b)  add(a, b, offset_s=0, gain=1)  gain(x, g)
    lowpass(x, hz) / highpass(x, hz)        one-pole filters
    bandpass(x, hz, q) / biquad_lowpass(x, hz, q)   RBJ biquads; hz may be a
                                            function of time for sweeps
    karplus_strong(freq, seconds, rng, decay=0.996, brightness=0.5)
    fade(x, fade_in_s=0.002, fade_out_s=0.01)
    remove_dc(x)   normalize(x, peak_db=-3.0)
"""

import math

RATE = 22050


def n_samples(seconds):
    return int(round(seconds * RATE))


def silence(seconds):
    return [0.0] * n_samples(seconds)


def tone(freq, seconds, partials=((1.0, 1.0),), phase=0.0):
    n = n_samples(seconds)
    out = [0.0] * n
    two_pi = 2.0 * math.pi
    sin = math.sin
    if callable(freq):
        # Integrate the instantaneous frequency so glides stay continuous.
        ph = phase
        for i in range(n):
            f = freq(i / RATE)
            v = 0.0
            for ratio, amp in partials:
                if f * ratio < RATE / 2:
                    v += amp * sin(ph * ratio)
            out[i] = v
            ph += two_pi * f / RATE
        return out
    for ratio, amp in partials:
        f = freq * ratio
        if f >= RATE / 2:
            continue
        w = two_pi * f / RATE
        for i in range(n):
            out[i] += amp * sin(w * i + phase * ratio)
    return out


def exp_env(seconds, decay, attack=0.002):
    """Envelope rising over `attack` and then falling by 1/e every `decay`
    seconds."""
    n = n_samples(seconds)
    na = max(1, n_samples(attack))
    k = math.exp(-1.0 / (decay * RATE))
    out = [0.0] * n
    v = 1.0
    for i in range(n):
        if i < na:
            out[i] = 0.5 - 0.5 * math.cos(math.pi * (i + 1) / na)
        else:
            v *= k
            out[i] = v
    return out


def adsr(seconds, attack, decay, sustain, release):
    n = n_samples(seconds)
    na = max(1, n_samples(attack))
    nd = max(1, n_samples(decay))
    nr = max(1, n_samples(release))
    out = []
    for i in range(n):
        if i < na:
            v = i / na
        elif i < na + nd:
            v = 1.0 - (1.0 - sustain) * (i - na) / nd
        else:
            v = sustain
        left = n - i
        if left < nr:
            v *= left / nr
        out.append(v)
    return out


def noise(seconds, rng):
    return [rng.random() * 2.0 - 1.0 for _ in range(n_samples(seconds))]


def multiply(a, b):
    return [x * y for x, y in zip(a, b)]


def gain(x, g):
    return [v * g for v in x]


def add(a, b, offset_s=0.0, gain=1.0):
    """a + gain * b, with b starting offset_s seconds in; grows a if needed."""
    off = n_samples(offset_s)
    out = list(a)
    need = off + len(b)
    if need > len(out):
        out.extend([0.0] * (need - len(out)))
    for i, v in enumerate(b):
        out[off + i] += v * gain
    return out


def lowpass(x, hz):
    k = 1.0 - math.exp(-2.0 * math.pi * hz / RATE)
    y = 0.0
    out = []
    for v in x:
        y += k * (v - y)
        out.append(y)
    return out


def highpass(x, hz):
    low = lowpass(x, hz)
    return [a - b for a, b in zip(x, low)]


def _biquad(x, coeffs_at):
    """Direct form I biquad; coeffs_at(i) returns (b0, b1, b2, a1, a2),
    called per sample only when the caller asks for a moving filter."""
    x1 = x2 = y1 = y2 = 0.0
    out = []
    static = not callable(coeffs_at)
    if static:
        b0, b1, b2, a1, a2 = coeffs_at
    for i, v in enumerate(x):
        if not static:
            b0, b1, b2, a1, a2 = coeffs_at(i)
        y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1 = x1, v
        y2, y1 = y1, y
        out.append(y)
    return out


def _bandpass_coeffs(hz, q):
    w = 2.0 * math.pi * min(hz, RATE * 0.45) / RATE
    alpha = math.sin(w) / (2.0 * q)
    a0 = 1.0 + alpha
    return (alpha / a0, 0.0, -alpha / a0,
            -2.0 * math.cos(w) / a0, (1.0 - alpha) / a0)


def _lowpass_coeffs(hz, q):
    w = 2.0 * math.pi * min(hz, RATE * 0.45) / RATE
    alpha = math.sin(w) / (2.0 * q)
    c = math.cos(w)
    a0 = 1.0 + alpha
    return ((1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0,
            -2 * c / a0, (1 - alpha) / a0)


def _moving(make, hz, q):
    if callable(hz):
        # Recompute every 32 samples: smooth enough for sweeps, cheap.
        cache = {}

        def at(i):
            k = i >> 5
            c = cache.get(k)
            if c is None:
                c = make(hz((k << 5) / RATE), q)
                cache.clear()
                cache[k] = c
            return c
        return at
    return make(hz, q)


def bandpass(x, hz, q=1.0):
    return _biquad(x, _moving(_bandpass_coeffs, hz, q))


def biquad_lowpass(x, hz, q=0.707):
    return _biquad(x, _moving(_lowpass_coeffs, hz, q))


def karplus_strong(freq, seconds, rng, decay=0.996, brightness=0.5):
    """Plucked string: a noise-filled delay line fed back through an
    averaging filter.  brightness 0..1 sets how bright the initial burst is."""
    # The averaging filter adds half a sample of delay, hence the 0.5.
    length = max(2, int(round(RATE / freq - 0.5)))
    buf = [rng.random() * 2.0 - 1.0 for _ in range(length)]
    # Soften the excitation for a less metallic attack.
    smoothed = []
    prev = 0.0
    for v in buf:
        prev += (v - prev) * (0.25 + 0.75 * brightness)
        smoothed.append(prev)
    mean = sum(smoothed) / len(smoothed)
    buf = [v - mean for v in smoothed]
    n = n_samples(seconds)
    out = []
    idx = 0
    half = 0.5 * decay
    for _ in range(n):
        a = buf[idx]
        nxt = idx + 1 if idx + 1 < length else 0
        out.append(a)
        buf[idx] = half * (a + buf[nxt])
        idx = nxt
    return out


def fade(x, fade_in_s=0.002, fade_out_s=0.01):
    out = list(x)
    n = len(out)
    ni = min(n, max(1, n_samples(fade_in_s)))
    no = min(n, max(1, n_samples(fade_out_s)))
    for i in range(ni):
        out[i] *= 0.5 - 0.5 * math.cos(math.pi * i / ni)
    for i in range(no):
        out[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / no)
    return out


def remove_dc(x):
    if not x:
        return []
    m = sum(x) / len(x)
    return [v - m for v in x]


def normalize(x, peak_db=-3.0):
    peak = max((abs(v) for v in x), default=0.0)
    if peak <= 0.0:
        return list(x)
    g = (10.0 ** (peak_db / 20.0)) / peak
    return [v * g for v in x]
