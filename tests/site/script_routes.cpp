#include "site/script_routes.h"

#include "site/test_site.h"

void addScriptRoutes(TestSite& site)
{
    auto page = [&site](const char* path, const char* html) {
        site.setRoute(QString::fromLatin1(path), htmlRoute(QByteArray(html)));
    };

    page("/js/create.htm", R"html(<html><head><title>createElement</title></head><body>
<script>
const picture = document.createElement('img');
picture.src = '/img/logo.gif';
document.body.appendChild(picture);
</script></body></html>)html");

    page("/js/inner.htm", R"html(<html><head><title>innerHTML</title></head><body><div id="box"></div>
<script>document.getElementById('box').innerHTML = '<img src="../img/photo.png" alt="photo">';</script>
</body></html>)html");

    page("/js/json.htm", R"html(<html><head><title>Gallery</title></head><body><div id="gallery"></div>
<script>
fetch('gallery.json').then((r) => r.json()).then((list) => {
  for (const address of list) {
    const picture = document.createElement('img');
    picture.src = address;
    document.getElementById('gallery').appendChild(picture);
  }
});
</script></body></html>)html");
    site.setRoute(QStringLiteral("/js/gallery.json"), htmlRoute(R"(["/img/a.gif", "/img/nested.gif"])", 200, "application/json"));

    // A lazy loader: pictures far below take their address from data-src once scrolled into
    // sight, and reaching the bottom adds one more screen, twice.
    page("/js/lazy.htm", R"html(<html><head><title>Lazy</title></head><body>
<div style="height:3000px">top</div>
<img class="lazy" data-src="/img/anim.gif" alt="first">
<div id="more"></div>
<script>
let added = 0;
const swap = () => {
  for (const picture of document.querySelectorAll('img.lazy')) {
    if (!picture.src && picture.getBoundingClientRect().top < window.innerHeight) picture.src = picture.dataset.src;
  }
  if (added < 2 && window.innerHeight + window.scrollY >= document.body.scrollHeight - 10) {
    ++added;
    const block = document.createElement('div');
    block.innerHTML = '<div style="height:3000px">more</div><img class="lazy" data-src="/img/cell.gif?' + added + '">';
    document.getElementById('more').appendChild(block);
  }
};
window.addEventListener('scroll', swap);
</script></body></html>)html");

    // A menu that exists only once its script has run, and the pages it leads to.
    page("/js/menu.htm", R"html(<html><head><title>Menu</title></head><body><nav id="menu"></nav>
<script>
for (const [name, address] of [['One', 'menu_one.htm'], ['Two', 'menu_two.htm']]) {
  const link = document.createElement('a');
  link.href = address;
  link.textContent = name;
  document.getElementById('menu').appendChild(link);
}
</script></body></html>)html");
    page("/js/menu_one.htm", R"html(<html><head><title>One</title></head><body>
<script>document.write('<img src="/img/button.gif">');</script></body></html>)html");
    page("/js/menu_two.htm", R"html(<html><head><title>Two</title></head><body><img src="/img/note.gif">
<a href="menu.htm">back</a></body></html>)html");

    // Every dialog and pop-up a script can raise; the body records what the page got back,
    // so a dialog that blocked would leave it unwritten.
    page("/js/dialogs.htm", R"html(<html><head><title>Dialogs</title></head><body>
<a id="blank" href="popup.htm" target="_blank">pop-up</a>
<script>
window.onbeforeunload = () => 'stay';
window.addEventListener('beforeunload', (e) => { e.preventDefault(); e.returnValue = 'stay'; });
alert('alert');
const confirmed = confirm('confirm');
const answer = prompt('prompt', 'default');
window.open('popup.htm', 'other', 'width=200');
document.getElementById('blank').click();
window.close();
document.body.setAttribute('data-dialogs', [confirmed, answer].join(','));
const permissions = [];
const record = (name, value) => {
  permissions.push(name + ':' + value);
  permissions.sort();
  document.body.setAttribute('data-permissions', permissions.join(' '));
};
Notification.requestPermission().then((p) => record('notification', p));
navigator.geolocation.getCurrentPosition(() => record('geolocation', 'granted'), () => record('geolocation', 'denied'));
navigator.mediaDevices.getUserMedia({ video: true }).then(() => record('camera', 'granted'), () => record('camera', 'denied'));
</script></body></html>)html");
    page("/js/popup.htm", R"html(<html><head><title>Pop-up</title></head><body>pop-up</body></html>)html");

    // A script that tries to take the page to a local file: the page stays.
    page("/js/file_scheme.htm", R"html(<html><head><title>Stays</title></head><body>
<script>location.href = 'file:///etc/hostname';</script></body></html>)html");

    // A download instead of a page.
    TestRoute download = htmlRoute("not a page", 200, "application/octet-stream");
    download.headers.append(qMakePair(QByteArray("Content-Disposition"), QByteArray("attachment; filename=\"file.bin\"")));
    site.setRoute(QStringLiteral("/js/file.bin"), download);

    // A page that never settles: it grows at every scroll and asks for something new all
    // the time.
    page("/js/restless.htm", R"html(<html><head><title>Restless</title></head><body>
<div id="grow"></div>
<script>
let n = 0;
window.addEventListener('scroll', () => {
  const block = document.createElement('div');
  block.style.height = '2000px';
  document.getElementById('grow').appendChild(block);
});
document.getElementById('grow').innerHTML = '<div style="height:2000px"></div>';
setInterval(() => fetch('gallery.json?' + (++n)), 100);
</script></body></html>)html");
}
