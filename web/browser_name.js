// The browser's name and version, for the report. Chromium-based browsers give their brand and
// full version through user-agent client hints; the others only through the user-agent string.
export async function browserName() {
    const hints = navigator.userAgentData;
    if (hints && hints.getHighEntropyValues) {
        try {
            const {fullVersionList} = await hints.getHighEntropyValues(['fullVersionList']);
            const brands = (fullVersionList || []).filter((b) => !/not.a.brand/i.test(b.brand));
            const own = brands.find((b) => b.brand !== 'Chromium') || brands[0];
            if (own) return `${own.brand} ${own.version}`;
        } catch {
            // Fall back to the user-agent string below.
        }
    }
    return fromUserAgent(navigator.userAgent);
}

export function fromUserAgent(userAgent) {
    const patterns = [
        ['Firefox', /Firefox\/([\d.]+)/],
        ['Edge', /Edg\/([\d.]+)/],
        ['Opera', /OPR\/([\d.]+)/],
        ['Chromium', /Chromium\/([\d.]+)/],
        ['Headless Chrome', /HeadlessChrome\/([\d.]+)/],
        ['Chrome', /Chrome\/([\d.]+)/],
        ['Safari', /Version\/([\d.]+).*Safari/],
    ];
    for (const [name, pattern] of patterns) {
        const match = pattern.exec(userAgent);
        if (match) return `${name} ${match[1]}`;
    }
    return userAgent;
}
