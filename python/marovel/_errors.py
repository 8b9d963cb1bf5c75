"""The exception marovel raises for a net it refuses."""


class Error(ValueError):
    """A net, a file's content or an argument that marovel refuses.

    ``message`` is the marovel command's message for the same fault
    ("Can't open input file", "Wrong edge ", ...); ``detail`` says what the
    XML parser or the system said, when it said something (else ""), and
    ``code`` names the kind of fault: "invalid_input", "io_error", "limit"
    or "invalid_argument". ``str(error)`` is the message followed by the
    detail.

    A file that cannot be opened at all raises the OSError subclass for
    the system's error instead (FileNotFoundError, PermissionError, ...).
    """

    def __init__(self, message: str, detail: str = "",
                 code: str = "invalid_input") -> None:
        super().__init__(message)
        self.message = message
        self.detail = detail
        self.code = code

    def __str__(self) -> str:
        return f"{self.message}: {self.detail}" if self.detail else self.message
