"""Build-time artwork and sound toolkit: ``canvas`` draws, ``writers``
encodes BMP/PNG/ICO/CUR/WAV, ``sound`` synthesises short sounds."""

from . import canvas, sound, writers  # noqa: F401
